// The choice of a read's plan (JpegReader::ReadPlan), made once at the first scan header, and
// the worker it may take.
#include <system_error>

#include "lumarc/input_byte_stream.h"
#include "lumarc/jpeg_reader.h"
#include "lumarc/row_worker.h"

namespace Lumarc {

namespace {

const char* PlanName(JpegReader::ReadPlan plan) {
  switch (plan) {
    case JpegReader::ReadPlan::kWholeGrid:
      return "whole grid";
    case JpegReader::ReadPlan::kStreamedRows:
      return "streamed rows";
    case JpegReader::ReadPlan::kScansReadAhead:
      return "scans read ahead";
  }
  return "";
}

}  // namespace

// Only the fast path converts from blocks row by row, and only a read nobody watches may decode
// in another order than scan after scan (a listing shows each scan's errors where it meets them;
// a progress callback may look at the bitmap).
JpegReader::PlanChoice JpegReader::ChooseReadPlan(const InputByteStream& stream) const {
  const bool may_leave_grid = !whole_grid_only && decode_path == DecodePath::kFast &&
                              Unobserved() && (component_count == 1 || component_count == 3);
  if (!may_leave_grid) return {};
  const bool worker_pays = use_worker && WorthAWorker();
  // Each scan read ahead reads its data through a stream of its own over the same source.
  if (progressive) {
    if (!stream.CanOpenAnother()) return {};
    return {ReadPlan::kScansReadAhead, worker_pays};
  }
  // A scan naming a component twice decodes its units twice; the grid keeps the first decode
  // where the second breaks off.
  const bool each_component_once = active_scan.component_count == component_count;
  if (each_component_once && ScanCoversFrame()) return {ReadPlan::kStreamedRows, worker_pays};
  return {};
}

// Handing rows to another core moves every coefficient between the cores' caches and wakes the
// worker; below about a megapixel that costs more than the overlap gains (an 800 x 600 picture
// took 1.5 times as long with the worker).
bool JpegReader::WorthAWorker() const {
  return std::uint64_t{image_width} * image_height >= worker_minimum_pixels;
}

// A thread that cannot be started leaves the read to this one, which gives the same picture. A
// failed allocation is no such case: it ends the read as every other one does.
bool JpegReader::StartWorker() {
  if (worker) return true;
  try {
    worker = std::make_unique<RowWorker>();
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

// At the first scan header; a worker that cannot be started leaves the plan to this thread.
void JpegReader::SetReadPlan(const InputByteStream& stream) {
  plan = ChooseReadPlan(stream);
  if (plan.with_worker) plan.with_worker = StartWorker();
  TracePlan();
}

void JpegReader::TracePlan() {
  trace.ReadPlan(PlanName(plan.plan), plan.with_worker ? 2 : 1);
}

}  // namespace Lumarc
