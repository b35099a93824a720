#pragma once

// The scan loops' templates, for the files of the plans that run them: they walk the MCUs
// (interleaved) or the data units (non-interleaved) of one scan, expect a restart marker before
// each unit that opens a new restart interval, report progress at the start of every row of
// units, and hand each data unit to its component.
#include <algorithm>
#include <cstdint>

#include "lumarc/jpeg_reader.h"

namespace Lumarc {

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

}  // namespace Lumarc
