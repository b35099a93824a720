#pragma once

// Every fixed message the image library raises, by the stage of a read that finds the fault,
// with the exception type that carries it. A read fails in one of these ways and no other, apart
// from a StreamError's text arriving as JpegError from the public reads.
namespace Lumarc::message {

// The caller and the environment (JpegDecoder::JpegError unless noted).
inline constexpr char kCannotOpenInputFile[] = "Can't open input file";
// Follows kCannotOpenInputFile and the name: "Can't open input file: photos is a folder".
inline constexpr char kIsAFolder[] = "is a folder";
inline constexpr char kNotReadingAnImage[] = "Not reading an image";
// Also GraphicsException, from BitmapImage::Allocate; the decoder raises it as JpegError
// wherever it comes from (the memory limit, the bitmap, a source kept in memory).
inline constexpr char kImageTooLargeForMemory[] = "Image Too Large for Memory";
// Any allocation that fails during a read, on either thread.
inline constexpr char kNotEnoughMemory[] = "Not Enough Memory to Decode the Image";

// The bitmap: GraphicsException, and std::range_error for the subscript.
inline constexpr char kUnsupportedBitCount[] = "Unsupported Bit Count";
inline constexpr char kSubscriptOutOfRange[] = "Subscript Out of Range";

// The input (InputByteStream::StreamError). The marker level also raises kPrematureEndOfFile,
// as JpegBadStream, where a marker or the byte after a segment is missing.
inline constexpr char kPrematureEndOfFile[] = "Premature end of file";
inline constexpr char kPrematureEndOfStream[] = "Premature end of stream";
inline constexpr char kInvalidMarkerInCompressedData[] = "Invalid Marker in Compressed Data";
inline constexpr char kInvalidMarkerInCompressedStream[] = "Invalid Marker in Compressed Stream";
inline constexpr char kBitReadOutsideBitMode[] = "Bit read outside bit mode";
inline constexpr char kBitCountOutOfRange[] = "Bit count out of range";

// The stream header and the marker level (JpegBadStream).
inline constexpr char kMissingSoiMarker[] = "Missing SOI Marker";
inline constexpr char kMissingJfifApp0Marker[] = "Missing JFIF APP0 Marker";
inline constexpr char kNotAJfifFile[] = "Not a JFIF file";
inline constexpr char kInvalidSegmentLength[] = "Invalid Segment Length";
inline constexpr char kLosslessNotSupported[] = "Lossless Huffman Coding Not Supported";
inline constexpr char kDifferentialSequentialNotSupported[] =
    "Differential Sequential Huffman Coding Not Supported";
inline constexpr char kDifferentialProgressiveNotSupported[] =
    "Differential Progressive Huffman Coding Not Supported";
inline constexpr char kDifferentialLosslessNotSupported[] =
    "Differential Lossless Huffman Coding Not Supported";
inline constexpr char kArithmeticCodingNotSupported[] =
    "Cannot read image - Arithmetic Coding covered by patents";
inline constexpr char kDhpNotSupported[] = "DHP marker not supported";
inline constexpr char kUnknownMarker[] = "Unknown, unsupported, or reserved marker encountered";

// The Huffman and quantization table segments (JpegBadStream).
inline constexpr char kHuffmanTableIndexOutOfRange[] = "Huffman Table Index outside range [0..3]";
inline constexpr char kHuffmanCountTooLarge[] = "Huffman count > 256";
inline constexpr char kQuantizationTableIndexTooLarge[] = "Quantization Table Index Too Large";
inline constexpr char kQuantizationTable16Bit[] = "Only 8-bit Data is Supported";
inline constexpr char kInvalidQuantizationPrecision[] = "Invalid Quantization Table Precision";
inline constexpr char kZeroQuantizationValue[] = "Zero value in quantization table";

// The frame header (JpegBadStream unless noted).
inline constexpr char kFrameAfterScan[] = "Frame header found after a scan";
inline constexpr char kOnly8BitData[] = "Only 8-bit data supported";
inline constexpr char kComponentCountNotOneOrThree[] =
    "JFIF only supports 1 and 3 component streams";
inline constexpr char kInvalidFrameSize[] = "Invalid Frame Size";
inline constexpr char kComponentIdNotOne[] = "Component ID not 1";
inline constexpr char kComponentIdOutOfOrder[] = "Invalid Component ID or ID out of order";
inline constexpr char kComponentId255[] = "Component ID 255 not supported";
inline constexpr char kComponentIdRepeated[] = "Duplicate Component ID";
inline constexpr char kBadQuantizationTableIndex[] = "Bad Quantization Table Index";
// JpegError, from the component's sampling factor setters.
inline constexpr char kHorizontalSamplingOutOfRange[] = "Sampling Frequency Outside the Range 1-4";
inline constexpr char kVerticalSamplingOutOfRange[] =
    "Vertical Sampling Frequency Outside the Range 1-4";
inline constexpr char kSamplingRatioNotWhole[] = "Sampling Factor Ratio Not a Whole Number";
inline constexpr char kImageTooLargeToDecode[] = "Image Too Large to Decode";

// The scan header and the tables its components need (JpegBadStream unless noted).
inline constexpr char kScanBeforeFrame[] = "Scan found before frame defined";
inline constexpr char kInvalidScanComponentCount[] = "Invalid component count in scan";
inline constexpr char kComponentNotDefined[] = "Component Not Defined";
inline constexpr char kHuffmanTableSelectorOutOfRange[] =
    "Huffman Table Selector outside range [0..3]";
inline constexpr char kAcTableNotDefined[] = "AC Table Not Defined";
// JpegError.
inline constexpr char kDcTableNotDefined[] = "DC Table Not Defined";
// JpegError: a component without a table is one no frame header configured.
inline constexpr char kQuantizationTableNotAssigned[] =
    "INTERNAL ERROR - Quantization Table Not Assigned";
inline constexpr char kQuantizationTableNotDefined[] = "Quantization Table Not Defined";
inline constexpr char kProgressiveDcWithAc[] = "Progressive scan contains DC and AC data";

// The entropy-coded data of a scan (JpegBadStream).
inline constexpr char kMissingRestartMarker[] = "Missing Restart Marker";
inline constexpr char kIncorrectRestartMarker[] = "Incorrect Restart Marker";
inline constexpr char kBadHuffmanCodeLength[] = "Bad Huffman Code Length";
inline constexpr char kDcDifferenceSizeOutOfRange[] = "DC Difference Size out of Range";
// A sequential block's run past the last coefficient.
inline constexpr char kCoefficientIndexOutOfRange[] = "Coefficient Index out of Range";
// The same in a first progressive AC scan.
inline constexpr char kDataOutOfRange[] = "Data out of range";
// An AC refinement's new coefficient of a size other than 1, and its run past the band.
inline constexpr char kInvalidValueInInputStream[] = "Invalid value in input stream";
inline constexpr char kErrorInProgressiveScan[] = "Error in progressive scan";

// The end of the image (JpegBadStream).
inline constexpr char kEndOfImageNotFound[] = "End of Image Marker Not Found";
inline constexpr char kExtraDataAfterEndOfImage[] = "Extra Data After End of Image Marker";

}  // namespace Lumarc::message
