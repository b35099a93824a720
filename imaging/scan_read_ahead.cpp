// Progressive scans read ahead (JpegReader::ReadPlan::kScansReadAhead): the marker loop records
// each scan and passes over its data; at the end of the image every scan goes on from where it
// stopped, one MCU row at a time, each reading its own data through a stream of its own over the
// same source.
//
// A scan's units in one MCU row depend only on its own earlier units and on what earlier scans
// left in the same blocks, so decoding all scans' units of an MCU row, in scan order, before the
// next MCU row's gives the coefficients that decoding scan after scan gives. Anything unusual
// (damage anywhere, bytes other than data between a scan and its marker, more scans than are
// read ahead) reads the image again from its start scan after scan, which meets the same error
// at the same point as ever and leaves what it leaves. A failed allocation is no such case: it
// ends the read.
#include <algorithm>

#include "lumarc/input_byte_stream.h"
#include "lumarc/jpeg_reader.h"
#include "lumarc/messages.h"
#include "lumarc/row_worker.h"

namespace Lumarc {

namespace {

// The scan's own copy of table, made once however many components use it.
const HuffmanTable* CopyOfTable(
    std::vector<std::pair<const HuffmanTable*, std::unique_ptr<HuffmanTable>>>& copies,
    const HuffmanTable* table) {
  for (const auto& [original, copy] : copies) {
    if (original == table) return copy.get();
  }
  copies.emplace_back(table, std::make_unique<HuffmanTable>(*table));
  return copies.back().second.get();
}

// Each scan read ahead keeps copies of its tables (about 18 KB each) until the image's end; a
// stream of a great many small scans is read scan after scan instead, in bounded memory. Encoders
// write about ten.
constexpr std::size_t kMostScansReadAhead = 32;

}  // namespace

// Only the tables the scan's band decodes with are copied (a DC scan's AC slots may be empty).
// False where the scan is one more than are read ahead.
bool JpegReader::ReadScanAhead(InputByteStream& stream, const ScanBand& band) {
  if (band.ss == 0 && band.se != 0) throw JpegBadStream(message::kProgressiveDcWithAc);
  if (pending_scans.size() == kMostScansReadAhead) return false;
  PendingScan& scan = pending_scans.emplace_back();
  scan.band = band;
  scan.context = active_scan;
  scan.context.position = {};
  for (std::uint32_t i = 0; i < active_scan.component_count; ++i) {
    ImageComponent::ScanState state = active_scan.components[i]->SavedScanState();
    if (band.ss == 0) {
      state.dc_table = CopyOfTable(scan.tables, state.dc_table);
    } else {
      state.ac_table = CopyOfTable(scan.tables, state.ac_table);
    }
    state.dc_predictor = 0;
    state.eob_run = 0;
    scan.states[i] = state;
  }
  const InputByteStream::Position data_start = stream.GetPosition();
  scan.stream = stream.OpenAnother();
  scan.stream->SetPosition(data_start);
  scan.stream->BeginBitReading();
  if (!stream.SkipEntropyCodedData()) throw JpegBadStream(message::kPrematureEndOfFile);
  scan.data_end = stream.GetPosition();
  scan.data_bytes = static_cast<std::uint64_t>(scan.data_end - data_start);
  return true;
}

// With a worker, this thread decodes the first scans' units of each MCU row into a ring, and the
// worker decodes the other scans' units of the row, transforms and converts it, a few rows behind.
// False where the image must be read again scan after scan: it has no end-of-image marker or no
// rows, a component that no scan named (nothing can be converted), or a scan whose data does not
// end where the marker loop found it.
bool JpegReader::DecodeScansReadAhead() {
  if (!eoi_found || mcu_rows == 0) return false;
  for (std::uint32_t i = 0; i < component_count; ++i) {
    if (!components[component_ids[i]].HasDataUnits()) return false;
  }
  const bool on_worker = plan.with_worker;
  std::array<ImageComponent::ScanState, kMostScanComponents> states{};
  for (std::uint32_t i = 0; i < component_count; ++i) {
    ImageComponent& component = components[component_ids[i]];
    states[i] = component.SavedScanState();
    component.AllocateCoefficientRing(on_worker ? kRowsInFlight : 1, true);
  }
  PrepareProgressiveTransfer();
  const std::size_t first_of_worker = on_worker ? FirstScanOfWorker() : pending_scans.size();
  if (on_worker) {
    GiveScansToWorker(first_of_worker);
    worker->Begin([this, first_of_worker](std::uint32_t row) {
      for (std::size_t i = first_of_worker; i < pending_scans.size(); ++i) {
        DecodeRowsReadAhead(pending_scans[i], row);
      }
      ReconstructRowReadAhead(row);
    });
  }
  for (std::uint32_t row = 0; row < mcu_rows; ++row) {
    for (std::size_t i = 0; i < first_of_worker; ++i) DecodeRowsReadAhead(pending_scans[i], row);
    if (on_worker) {
      worker->Hand(kRowsPerWake);
      worker->WaitUntilPendingAtMost(kRowsInFlight - 1);
    } else {
      ReconstructRowReadAhead(row);
    }
  }
  if (on_worker) worker->Finish();
  for (const PendingScan& scan : pending_scans) {
    if (!ScanEndsWhereReadAhead(scan)) return false;
  }
  // The components point at the reader's own tables again, as after the last scan header.
  for (std::uint32_t i = 0; i < component_count; ++i) {
    components[component_ids[i]].RestoreScanState(states[i]);
  }
  bitmap_complete = true;
  return true;
}

// The scans from the returned one on go to the worker, so that both threads take about as long.
// Moving the last of this thread's scans over pays while it lowers the larger share.
std::size_t JpegReader::FirstScanOfWorker() const {
  std::uint64_t own = 0;
  for (const PendingScan& scan : pending_scans) own += ScanCost(scan);
  // Transforming and converting a pixel, and handing it between the cores.
  std::uint64_t workers = std::uint64_t{image_width} * image_height * 15;
  std::size_t first = pending_scans.size();
  while (first > 0) {
    const std::uint64_t cost = ScanCost(pending_scans[first - 1]);
    if (std::max(own - cost, workers + cost) >= std::max(own, workers)) break;
    own -= cost;
    workers += cost;
    --first;
  }
  return first;
}

// About what a scan takes, in tenths of nanoseconds as measured on the 4000 x 3000 picture (only
// the ratios matter): AC scans by their bytes, refinements three times as much a byte as first
// scans, and DC scans, whose bytes are few, by their blocks.
std::uint64_t JpegReader::ScanCost(const PendingScan& scan) const {
  const ScanContext& context = scan.context;
  if (scan.band.ss != 0) return scan.data_bytes * (scan.band.ah != 0 ? 300 : 100);
  std::uint64_t blocks = 0;
  if (context.component_count == 1) {
    const ImageComponent& component = *context.components[0];
    blocks = std::uint64_t{component.NoninterleavedRows()} * component.NoninterleavedCols();
  } else {
    for (std::uint32_t i = 0; i < context.component_count; ++i) {
      const ImageComponent& component = *context.components[i];
      blocks += std::uint64_t{mcu_rows} * mcu_cols * component.HorizontalFrequency() *
                component.VerticalFrequency();
    }
  }
  return blocks * 70;
}

// The worker's scans decode through worker_components, so that their predictors, end-of-band
// runs and tables are apart from those of this thread's scans of the same components.
void JpegReader::GiveScansToWorker(std::size_t first) {
  for (std::uint32_t i = 0; i < component_count; ++i) {
    worker_components[i].DecodeIntoCoefficientsOf(components[component_ids[i]]);
  }
  for (std::size_t s = first; s < pending_scans.size(); ++s) {
    ScanContext& context = pending_scans[s].context;
    for (std::uint32_t j = 0; j < context.component_count; ++j) {
      for (std::uint32_t i = 0; i < component_count; ++i) {
        if (context.components[j] == &components[component_ids[i]]) {
          context.components[j] = &worker_components[i];
        }
      }
    }
  }
}

// The ring's rows are zeroed once transformed, for the MCU row that takes their place. Every
// component has blocks (DecodeScansReadAhead), so every row is written.
void JpegReader::ReconstructRowReadAhead(std::uint32_t mcu_row) {
  TransferProgressiveMcuRow(mcu_row);
  for (std::uint32_t i = 0; i < component_count; ++i) {
    ImageComponent& component = components[component_ids[i]];
    const std::uint32_t v = component.VerticalFrequency();
    component.ClearCoefficientRows(mcu_row * v, (mcu_row + 1) * v);
  }
}

// The scan's units in MCU row mcu_row: that row, or the component's block rows in it.
void JpegReader::DecodeRowsReadAhead(PendingScan& scan, std::uint32_t mcu_row) {
  ScanContext& context = scan.context;
  for (std::uint32_t i = 0; i < context.component_count; ++i) {
    context.components[i]->RestoreScanState(scan.states[i]);
  }
  const bool interleaved = scan.band.ss == 0 && context.component_count > 1;
  const std::uint32_t v = interleaved ? 1 : context.components[0]->VerticalFrequency();
  DecodeProgressiveRows(context, *scan.stream, scan.band, mcu_row * v, (mcu_row + 1) * v);
  for (std::uint32_t i = 0; i < context.component_count; ++i) {
    scan.states[i] = context.components[i]->SavedScanState();
  }
}

// The marker loop would pass over data bytes between the scan's last unit and its marker, but
// would take a 0xFF among them for a marker of its own.
bool JpegReader::ScanEndsWhereReadAhead(const PendingScan& scan) const {
  InputByteStream& stream = *scan.stream;
  stream.EndBitReading();
  const std::streamoff end = scan.data_end;
  if (std::streamoff{stream.GetPosition()} > end) return false;
  while (std::streamoff{stream.GetPosition()} < end) {
    if (stream.ReadByte() == 0xFF) return false;
  }
  return true;
}

}  // namespace Lumarc
