// The stock-shapes flag: whether the seven stock collision shapes are one of
// the accepted sets, which servers check before letting a client race.
#include <nettle/ripemd160.h>

#include <cstdio>
#include <cstring>

#include "core/startup.h"
#include "files/files.h"

bool stock_shapes = false;

static const char* const kStockShapes[] = {
    "@generic_frame.shp", "@generic_fork_upper.shp", "@generic_fork_lower.shp", "@generic_swingarm.shp",
    "@front_wheel.shp",   "@rear_wheel.shp",         "@generic_rider.shp",
};

static const char* const kAcceptedDigests[] = {
    "ee2bd2db0c54d7bd8fc462236101c0e504397245",
    "b415fe951efef9ad61196884906535c832dbc6f4",
    "c3a9426047a7a18c235dae0208b6f22a206890a3",
};

void stock_shapes_digest(char hex[41]) {
  ripemd160_ctx ctx;
  ripemd160_init(&ctx);
  for (const char* name : kStockShapes) {
    Stream* s = stream_open(name, "rb");
    if (!s) continue;  // a missing file contributes nothing
    unsigned char block[1024];
    size_t n;
    while ((n = stream_read_block(s, block, sizeof block)) > 0) ripemd160_update(&ctx, n, block);
    stream_close(s);
  }
  unsigned char digest[RIPEMD160_DIGEST_SIZE];
  ripemd160_digest(&ctx, sizeof digest, digest);
  for (int i = 0; i < RIPEMD160_DIGEST_SIZE; i++) std::snprintf(hex + 2 * i, 3, "%02x", digest[i]);
}

void startup_stock_shapes() {
  char hex[41];
  stock_shapes_digest(hex);
  stock_shapes = false;
  for (const char* accepted : kAcceptedDigests)
    if (!std::strcmp(hex, accepted)) stock_shapes = true;
}
