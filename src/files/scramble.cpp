// Scrambled files (".scram"): "DWSC", an 8-byte nonce, then the data XORed
// with the ChaCha20 key stream of the game's fixed key and that nonce. It
// keeps casual eyes off data files; it is not meant to resist an attacker
// (the key is in the program). The nonce comes from the plain data's digest,
// so scrambling is reproducible.
#include <cstring>
#include <nettle/ripemd160.h>

#include "core/core.h"
#include "files/vfs_local.h"

namespace {

const char kMagic[4] = {'D', 'W', 'S', 'C'};
const uint8_t kKey[CHACHA_KEY_SIZE] = {
    'D', 'i', 'r', 't', 'w', 'a', 'v', 'e', ' ', 's', 'c', 'r', 'a', 'm', 'b', 'l',
    'e', 'd', ' ', 'd', 'a', 't', 'a', ' ', 'k', 'e', 'y', ' ', '2', '0', '1', '9'};

void scrambler_init(Scrambler* sc, const uint8_t nonce[CHACHA_NONCE_SIZE]) {
  chacha_set_key(&sc->ctx, kKey);
  chacha_set_nonce(&sc->ctx, nonce);
  sc->used = CHACHA_BLOCK_SIZE;
}

}  // namespace

void scramble_apply(Scrambler* sc, uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; i++) {
    if (sc->used == CHACHA_BLOCK_SIZE) {
      // Whole blocks keep the key stream's counter in step.
      std::memset(sc->key_stream, 0, sizeof sc->key_stream);
      chacha_crypt(&sc->ctx, sizeof sc->key_stream, sc->key_stream, sc->key_stream);
      sc->used = 0;
    }
    data[i] ^= sc->key_stream[sc->used++];
  }
}

bool scramble_start(Stream* s) {
  uint8_t header[SCRAMBLE_HEADER_SIZE];
  if (stream_raw_read(s, header, sizeof header) != sizeof header) return false;
  if (std::memcmp(header, kMagic, sizeof kMagic) != 0) return false;
  s->scram = (Scrambler*)alloc_or_die(sizeof(Scrambler));
  scrambler_init(s->scram, header + sizeof kMagic);
  return true;
}

void scramble_end(Stream* s) {
  mem_free(s->scram);
  s->scram = nullptr;
}

bool scramble_write_file(const char* path, const void* data, size_t size) {
  ripemd160_ctx hash;
  ripemd160_init(&hash);
  ripemd160_update(&hash, size, (const uint8_t*)data);
  uint8_t digest[RIPEMD160_DIGEST_SIZE];
  ripemd160_digest(&hash, sizeof digest, digest);

  uint8_t header[SCRAMBLE_HEADER_SIZE];
  std::memcpy(header, kMagic, sizeof kMagic);
  std::memcpy(header + sizeof kMagic, digest, CHACHA_NONCE_SIZE);
  Scrambler sc;
  scrambler_init(&sc, header + sizeof kMagic);

  Stream* out = stream_open(path, "wb");
  if (!out) return false;
  bool ok = stream_write_block(out, header, sizeof header) == sizeof header;
  uint8_t block[4096];
  for (size_t at = 0; ok && at < size; at += sizeof block) {
    size_t n = size - at < sizeof block ? size - at : sizeof block;
    std::memcpy(block, (const uint8_t*)data + at, n);
    scramble_apply(&sc, block, n);
    ok = stream_write_block(out, block, n) == n;
  }
  return stream_close(out) && ok;
}
