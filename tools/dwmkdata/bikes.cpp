// The bikes and riders of the default data set: for every graphics prefix of
// the catalogue its frame, forks, swingarm and number plate models, built
// around the first catalogue model that uses the prefix; the shared wheels
// (with simpler "_lod5" versions for the distance), the rider's body, head
// and plate, and the seven stock collision shapes. Textures are painted
// elsewhere, into the rectangles of bikes_atlas.h.
#include <set>
#include <string>

#include "bike/bike.h"
#include "bikes_parts.h"
#include "mkdata.h"

namespace {

// "@yz250fv2014_frame.qm" -> "yz250fv2014"
std::string graphics_prefix(const BikeModel& b) {
  std::string frame = b.files[BIKE_FILE_FRAME_MODEL];
  const std::string ending = "_frame.qm";
  return frame.substr(1, frame.size() - 1 - ending.size());
}

bool write_bike_models(const std::string& out, const BikeModel& b) {
  std::string p = graphics_prefix(b);
  BikeStyle s = bike_style(b, p);
  bool ok = mk_write_text(out, p + "_frame.qm", frame_qm(b, s));
  ok = mk_write_text(out, p + "_fork_upper.qm", fork_upper_qm(b, s)) && ok;
  ok = mk_write_text(out, p + "_fork_lower.qm", fork_lower_qm(b, s)) && ok;
  ok = mk_write_text(out, p + "_swingarm.qm", swingarm_qm(b, s)) && ok;
  ok = mk_write_text(out, p + "_side_plates.qm", side_plates_qm(b, s)) && ok;
  ok = mk_write_text(out, p + "_front_plate.qm", front_plate_qm(b, s)) && ok;
  return ok;
}

bool write_shared_models(const std::string& out, const BikeModel& d) {
  bool ok = mk_write_text(out, "front_wheel.qm", front_wheel_qm(d, false));
  ok = mk_write_text(out, "rear_wheel.qm", rear_wheel_qm(d, false)) && ok;
  // From 32 ft away the spokes are a blur: leave them out.
  ok = mk_write_text(out, "front_wheel_lod5.qm", front_wheel_qm(d, true)) && ok;
  ok = mk_write_text(out, "rear_wheel_lod5.qm", rear_wheel_qm(d, true)) && ok;
  ok = mk_write_text(out, "rider_body.qm", rider_body_qm(d, false)) && ok;
  ok = mk_write_text(out, "rider_body_fp.qm", rider_body_qm(d, true)) && ok;
  ok = mk_write_text(out, "rider_head.qm", rider_head_qm()) && ok;
  ok = mk_write_text(out, "rider_plate.qm", rider_plate_qm(d)) && ok;
  for (const auto& [name, text] : stock_shapes(d)) ok = mk_write_text(out, name, text) && ok;
  return ok;
}

}  // namespace

bool mk_bikes(const std::string& outdir) {
  bool ok = write_shared_models(outdir, *bike_model(BIKE_DEFAULT_MODEL));
  std::set<std::string> done;
  for (int i = 0; i < BIKE_MODEL_COUNT; i++) {
    const BikeModel& b = *bike_model(i);
    if (!done.insert(graphics_prefix(b)).second) continue;
    ok = write_bike_models(outdir, b) && ok;
  }
  return ok;
}
