// The scan loops: they walk the MCUs (interleaved) or the data units (non-interleaved) of one
// scan, expect a restart marker before each unit that opens a new restart interval, report
// progress at the start of every row of units, and hand each data unit to its component.
#include <algorithm>
#include <system_error>

#include "lumarc/input_byte_stream.h"
#include "lumarc/jpeg_reader.h"
#include "lumarc/messages.h"
#include "lumarc/row_worker.h"

namespace Lumarc {

void JpegReader::StartScanLoop(ScanContext& scan) {
  ResetDcPredictions(scan);
  ResetEobRuns(scan);
  scan.position = {};
}

// Rows first to end - 1 of the `rows` a scan has (those beyond it are left out), taken up where
// the scan's earlier rows left off. With restart interval 2 in a scan of 5 units, RST0 comes
// before the third unit and RST1 before the fifth; none before the first unit or after the last.
template <typename DecodeUnit, typename RowDone>
void JpegReader::RunScanRows(ScanContext& scan, InputByteStream& stream, std::uint32_t first,
                             std::uint32_t end, std::uint32_t rows, std::uint32_t cols,
                             bool progressive_scan, DecodeUnit decode_unit, RowDone row_done) {
  std::uint32_t since_restart = scan.position.since_restart;
  for (std::uint32_t row = first; row < std::min(end, rows); ++row) {
    ReportProgress(row * 100 / rows);
    for (std::uint32_t col = 0; col < cols; ++col) {
      if (scan.restart_interval != 0 && since_restart == scan.restart_interval) {
        if (progressive_scan) ResetDcPredictions(scan);
        ProcessRestartMarker(scan, stream);
        since_restart = 0;
      }
      decode_unit(row, col);
      ++since_restart;
    }
    row_done(row);
  }
  scan.position.since_restart = since_restart;
}

// One component: its data units in the image area, row by row. Several: MCU by MCU, each
// component's H x V block in it with the vertical index outermost, so 2x2 luminance goes
// (2r, 2c), (2r, 2c+1), (2r+1, 2c), (2r+1, 2c+1), then Cb (r, c), then Cr (r, c).
template <typename Visit>
void JpegReader::ForEachUnitOfMcu(const ScanContext& scan, std::uint32_t row, std::uint32_t col,
                                  Visit visit) {
  for (std::uint32_t i = 0; i < scan.component_count; ++i) {
    ImageComponent& component = *scan.components[i];
    const std::uint32_t v_count = component.VerticalFrequency();
    const std::uint32_t h_count = component.HorizontalFrequency();
    for (std::uint32_t v = 0; v < v_count; ++v) {
      for (std::uint32_t h = 0; h < h_count; ++h) {
        visit(component, row * v_count + v, col * h_count + h);
      }
    }
  }
}

template <typename Visit>
void JpegReader::ForEachUnitOfScanRow(std::uint32_t row, Visit visit) {
  if (active_scan.component_count == 1) {
    ImageComponent& component = *active_scan.components[0];
    for (std::uint32_t col = 0; col < component.NoninterleavedCols(); ++col) {
      visit(component, row, col);
    }
    return;
  }
  for (std::uint32_t col = 0; col < mcu_cols; ++col) ForEachUnitOfMcu(active_scan, row, col, visit);
}

std::uint32_t JpegReader::ScanRows() const {
  return active_scan.component_count == 1 ? active_scan.components[0]->NoninterleavedRows()
                                          : mcu_rows;
}

std::uint32_t JpegReader::ScanRowHeight() const {
  return active_scan.component_count == 1 ? 8 : mcu_height;
}

template <typename DecodeUnit, typename RowDone>
void JpegReader::RunScan(InputByteStream& stream, bool progressive_scan, DecodeUnit decode_unit,
                         RowDone row_done) {
  StartScanLoop(active_scan);
  RunScanPart(active_scan, stream, 0, UINT32_MAX, progressive_scan, decode_unit, row_done);
}

template <typename DecodeUnit, typename RowDone>
void JpegReader::RunScanPart(ScanContext& scan, InputByteStream& stream, std::uint32_t first,
                             std::uint32_t end, bool progressive_scan, DecodeUnit decode_unit,
                             RowDone row_done) {
  if (scan.component_count == 1) {
    ImageComponent& component = *scan.components[0];
    RunScanRows(
        scan, stream, first, end, component.NoninterleavedRows(), component.NoninterleavedCols(),
        progressive_scan,
        [&](std::uint32_t row, std::uint32_t col) { decode_unit(component, row, col); }, row_done);
    return;
  }
  RunScanRows(
      scan, stream, first, end, mcu_rows, mcu_cols, progressive_scan,
      [&](std::uint32_t row, std::uint32_t col) { ForEachUnitOfMcu(scan, row, col, decode_unit); },
      row_done);
}

InverseDctRoutine JpegReader::InverseDctOfPath() const {
  return decode_path == DecodePath::kFast ? inverse_dct_routine : &InverseDctScalar;
}

// The fast path converts each row of units into the bitmap as soon as it is decoded, while its
// blocks are still in the processor's caches, when the image's first scan holds every component.
// Streamed (see StreamedScan), nothing else keeps them. Otherwise the whole grid stays, and
// should a later scan change blocks, or this one fail, TransferToBitmap converts all of it, so
// the pixels never depend on whether rows were converted early.
void JpegReader::DecodeSequentialScan(InputByteStream& stream) {
  const InverseDctRoutine inverse_dct = InverseDctOfPath();
  const bool convert_rows =
      decode_path == DecodePath::kFast && current_scan == 1 && ScanCoversFrame();
  const std::uint32_t unit_height = ScanRowHeight();
  streamed = {active_scan.components[0]->KeepsOneMcuRow(), false, 0, 0};
  if (streamed.active && use_worker && WorthAWorker() && StartWorker()) {
    streamed.on_worker = true;
    return DecodeStreamedScanWithWorker(stream, inverse_dct);
  }
  bool converted = convert_rows;
  WithDecodePath(decode_path, [&](auto path) {
    RunScan(
        stream, false,
        [&](ImageComponent& component, std::uint32_t row, std::uint32_t col) {
          component.DecodeSequential<path()>(stream, row, col, inverse_dct);
          ++streamed.units_done_in_row;
        },
        [&](std::uint32_t row) {
          if (converted) converted = ConvertRows({row * unit_height, (row + 1) * unit_height});
          streamed.row = row + 1;
          streamed.units_done_in_row = 0;
        });
  });
  bitmap_complete = converted;
}

// Handing rows to another core moves every coefficient between the cores' caches and wakes the
// worker; below about a megapixel that costs more than the overlap gains (an 800 x 600 picture
// took 1.5 times as long with the worker).
bool JpegReader::WorthAWorker() const {
  return std::uint64_t{image_width} * image_height >= worker_minimum_pixels;
}

// A thread that cannot be started leaves the read to this one, which gives the same picture.
bool JpegReader::StartWorker() {
  if (worker) return true;
  try {
    worker = std::make_unique<RowWorker>();
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

// This thread decodes each row's coefficients into a ring; the worker transforms and converts
// them a row behind. The scan ends only once the worker has finished, so that nothing it reads
// (tables, blocks) can change under it.
void JpegReader::DecodeStreamedScanWithWorker(InputByteStream& stream,
                                              InverseDctRoutine inverse_dct) {
  for (std::uint32_t i = 0; i < active_scan.component_count; ++i) {
    active_scan.components[i]->AllocateCoefficientRing(kRowsInFlight);
  }
  worker->Begin([this, inverse_dct](std::uint32_t row) { ReconstructScanRow(row, inverse_dct); });
  RunScan(
      stream, false,
      [&](ImageComponent& component, std::uint32_t row, std::uint32_t col) {
        component.DecodeSequentialCoefficients(stream, row, col);
        ++streamed.units_done_in_row;
      },
      [&](std::uint32_t row) {
        worker->Hand(kRowsPerWake);
        worker->WaitUntilPendingAtMost(kRowsInFlight - 1);
        streamed.row = row + 1;
        streamed.units_done_in_row = 0;
      });
  worker->Finish();
  bitmap_complete = true;
}

void JpegReader::ReconstructScanRow(std::uint32_t row, InverseDctRoutine inverse_dct) {
  ForEachUnitOfScanRow(
      row, [&](ImageComponent& component, std::uint32_t unit_row, std::uint32_t unit_col) {
        component.TransformUnit(unit_row, unit_col, inverse_dct);
      });
  const std::uint32_t height = ScanRowHeight();
  ConvertRows({row * height, (row + 1) * height});
}

// The scan failed in row streamed.row, which holds the units decoded before the error and, after
// them, units of the row before. On the whole grid those would be units never decoded, as would
// every unit of the rows below.
void JpegReader::TransferStreamedScanAfterFailure() {
  if (streamed.on_worker) worker->FinishQuietly();  // the error that ended the read is reported
  std::uint64_t index = 0;
  ForEachUnitOfScanRow(streamed.row,
                       [&](ImageComponent& component, std::uint32_t row, std::uint32_t col) {
                         if (index++ >= streamed.units_done_in_row) {
                           component.ClearUnit(row, col);
                         } else if (streamed.on_worker) {
                           component.TransformUnit(row, col, InverseDctOfPath());
                         }
                       });
  const std::uint32_t height = ScanRowHeight();
  ConvertRows({streamed.row * height, (streamed.row + 1) * height});
  for (std::uint32_t i = 0; i < component_count; ++i) {
    components[component_ids[i]].ClearStoredUnits();
  }
  for (std::uint32_t row = streamed.row + 1; row < ScanRows(); ++row) {
    ConvertRows({row * height, (row + 1) * height});
  }
  bitmap_complete = true;
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
