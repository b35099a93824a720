// The scan loops: they walk the MCUs (interleaved) or the data units (non-interleaved) of one
// scan, expect a restart marker before each unit that opens a new restart interval, report
// progress at the start of every row of units, and hand each data unit to its component.
#include <algorithm>

#include "lumarc/input_byte_stream.h"
#include "lumarc/jpeg_reader.h"
#include "lumarc/messages.h"
#include "lumarc/scan_loops.h"

namespace Lumarc {

void JpegReader::StartScanLoop(ScanContext& scan) {
  ResetDcPredictions(scan);
  ResetEobRuns(scan);
  scan.position = {};
}

std::uint32_t JpegReader::ScanRows() const {
  return active_scan.component_count == 1 ? active_scan.components[0]->NoninterleavedRows()
                                          : mcu_rows;
}

std::uint32_t JpegReader::ScanRowHeight() const {
  return active_scan.component_count == 1 ? 8 : mcu_height;
}

InverseDctRoutine JpegReader::InverseDctOfPath() const {
  return decode_path == DecodePath::kFast ? inverse_dct_routine : &InverseDctScalar;
}

// On the whole grid, the fast path converts each row of units into the bitmap as soon as it is
// decoded, while its blocks are still in the processor's caches, when the image's first scan
// holds every component. Should a later scan change blocks, or this one fail, TransferToBitmap
// converts all of it, so the pixels never depend on whether rows were converted early.
void JpegReader::DecodeSequentialScan(InputByteStream& stream) {
  const InverseDctRoutine inverse_dct = InverseDctOfPath();
  if (plan.plan == ReadPlan::kStreamedRows) return DecodeStreamedScan(stream, inverse_dct);
  const bool convert_rows =
      decode_path == DecodePath::kFast && current_scan == 1 && ScanCoversFrame();
  const std::uint32_t unit_height = ScanRowHeight();
  bool converted = convert_rows;
  WithDecodePath(decode_path, [&](auto path) {
    RunScan(
        stream, false,
        [&](ImageComponent& component, std::uint32_t row, std::uint32_t col) {
          component.DecodeSequential<path()>(stream, row, col, inverse_dct);
        },
        [&](std::uint32_t row) {
          if (converted) converted = ConvertRows({row * unit_height, (row + 1) * unit_height});
        });
  });
  bitmap_complete = converted;
}

// Every component of the frame is in the current scan (a scan header may name one twice).
bool JpegReader::ScanCoversFrame() const {
  for (std::uint32_t i = 0; i < component_count; ++i) {
    const ImageComponent* component = &components[component_ids[i]];
    const auto first = active_scan.components.begin();
    const auto end = first + active_scan.component_count;
    if (std::find(first, end, component) == end) {
      return false;
    }
  }
  return true;
}

// Nothing else relates Ss, Se, Ah and Al here; the data-unit decoders keep within the block.
void JpegReader::DecodeProgressiveScan(InputByteStream& stream, const ScanBand& band) {
  if (band.ss == 0 && band.se != 0) throw JpegBadStream(message::kProgressiveDcWithAc);
  StartScanLoop(active_scan);
  DecodeProgressiveRows(active_scan, stream, band, 0, UINT32_MAX);
}

// AC scans are never interleaved: a header naming several components decodes only the first.
void JpegReader::DecodeProgressiveRows(ScanContext& scan, InputByteStream& stream,
                                       const ScanBand& band, std::uint32_t first,
                                       std::uint32_t end) {
  WithDecodePath(decode_path, [&](auto path) {
    if (band.ss == 0 && band.ah != 0) {
      RunScanPart(scan, stream, first, end, true,
                  [&](ImageComponent& component, std::uint32_t row, std::uint32_t col) {
                    component.DecodeDcRefine(stream, row, col, band.al);
                  });
      return;
    }
    if (band.ss == 0) {
      RunScanPart(scan, stream, first, end, true,
                  [&](ImageComponent& component, std::uint32_t row, std::uint32_t col) {
                    component.DecodeDcFirst<path()>(stream, row, col, band.al);
                  });
      return;
    }
    ImageComponent& component = *scan.components[0];
    const std::uint32_t rows = component.NoninterleavedRows();
    const std::uint32_t cols = component.NoninterleavedCols();
    if (band.ah != 0) {
      RunScanRows(scan, stream, first, end, rows, cols, true,
                  [&](std::uint32_t row, std::uint32_t col) {
                    component.DecodeAcRefine<path()>(stream, row, col, band.ss, band.se, band.al);
                  });
      return;
    }
    RunScanRows(scan, stream, first, end, rows, cols, true,
                [&](std::uint32_t row, std::uint32_t col) {
                  component.DecodeAcFirst<path()>(stream, row, col, band.ss, band.se, band.al);
                });
  });
}

void JpegReader::ResetDcPredictions(const ScanContext& scan) {
  for (std::uint32_t i = 0; i < scan.component_count; ++i) scan.components[i]->ResetDcPredictor();
}

// A valid stream never carries an end-of-band run across the end of a scan or a restart marker
// (the encoder ends the run there), so clearing it at both places changes nothing for valid
// streams, and a damaged scan cannot make the next scan skip blocks.
void JpegReader::ResetEobRuns(const ScanContext& scan) {
  for (std::uint32_t i = 0; i < scan.component_count; ++i) scan.components[i]->ResetEobRun();
}

void JpegReader::ProcessRestartMarker(ScanContext& scan, InputByteStream& stream) {
  stream.EndBitReading();  // the padding bits of the interval are discarded
  std::uint8_t code = stream.ReadByte();
  if (code != 0xFF) throw JpegBadStream(message::kMissingRestartMarker);
  while (code == 0xFF) code = stream.ReadByte();  // fill bytes
  if (code < 0xD0 || code > 0xD7) throw JpegBadStream(message::kMissingRestartMarker);
  if ((code & 0x0F) != scan.position.next_restart) {
    throw JpegBadStream(message::kIncorrectRestartMarker);
  }
  scan.position.next_restart = (scan.position.next_restart + 1) & 7;
  ResetDcPredictions(scan);
  ResetEobRuns(scan);
  stream.BeginBitReading();
}

void JpegReader::ReportProgress(std::uint32_t percent) {
  if (progress_callback == nullptr) return;
  bool cancel = false;
  progress_callback(owner, progress_data, current_scan, scan_total, std::min(percent, 100u),
                    cancel);
  if (cancel) throw GraphicsAbort();
}

// Counts every 0xFF 0xDA pair up to the first 0xFF 0xD9, including pairs inside segment
// payloads: an estimate for the callback, not a parse.
void JpegReader::CountScans(InputByteStream& stream) {
  const InputByteStream::Position start = stream.GetPosition();
  scan_total = 0;
  std::uint8_t byte = 0;
  while (TryReadByte(stream, byte)) {
    if (byte != 0xFF) continue;
    while (byte == 0xFF && TryReadByte(stream, byte)) {
    }
    if (byte == 0xDA) ++scan_total;
    if (byte == 0xD9) break;
  }
  stream.SetPosition(start);
}

}  // namespace Lumarc
