// Streamed rows (JpegReader::ReadPlan::kStreamedRows): a sequential picture's only scan keeps one
// MCU row of samples, and each row goes into the bitmap as soon as it is decoded, on this thread
// or, with the worker, a few rows behind on that one.
#include "lumarc/input_byte_stream.h"
#include "lumarc/jpeg_reader.h"
#include "lumarc/row_worker.h"
#include "lumarc/scan_loops.h"

namespace Lumarc {

void JpegReader::DecodeStreamedScan(InputByteStream& stream, InverseDctRoutine inverse_dct) {
  streamed = {true, plan.with_worker, 0, 0};
  if (plan.with_worker) return DecodeStreamedScanWithWorker(stream, inverse_dct);
  const std::uint32_t unit_height = ScanRowHeight();
  RunScan(
      stream, false,
      [&](ImageComponent& component, std::uint32_t row, std::uint32_t col) {
        component.DecodeSequential<DecodePath::kFast>(stream, row, col, inverse_dct);
        ++streamed.units_done_in_row;
      },
      [&](std::uint32_t row) {
        ConvertRows({row * unit_height, (row + 1) * unit_height});
        streamed.row = row + 1;
        streamed.units_done_in_row = 0;
      });
  bitmap_complete = true;
}

// This thread decodes each row's coefficients into a ring; the worker transforms and converts
// them a row behind. The scan ends only once the worker has finished, so that nothing it reads
// (tables, blocks) can change under it. A failure of the worker's is raised here at the next
// hand-over.
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
// every unit of the rows below. Rows the worker lost to a failure of its own cannot be made
// again: they are cleared with the rest (FinishBitmap).
void JpegReader::TransferStreamedScanAfterFailure() {
  if (streamed.on_worker && !worker->FinishQuietly()) return;
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

}  // namespace Lumarc
