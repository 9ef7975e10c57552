// Heap sort with a caller's comparison. The exact sift steps fix the order
// of equal items, which sorted tables (track list, results) rely on.
#include "core/core.h"

static void swap_items(unsigned char* a, unsigned char* b, size_t size) {
  for (size_t i = 0; i < size; i++) {
    unsigned char t = a[i];
    a[i] = b[i];
    b[i] = t;
  }
}

static void sift_down(unsigned char* base, size_t p, size_t n, size_t size, int (*compare)(const void*, const void*)) {
  size_t c = 2 * p + 1;
  while (c < n) {
    if (c + 1 < n && compare(base + (c + 1) * size, base + c * size) > 0) c++;
    if (compare(base + c * size, base + p * size) <= 0) return;
    swap_items(base + c * size, base + p * size, size);
    p = c;
    c = 2 * c + 1;
  }
}

void heap_sort(void* base_ptr, size_t count, size_t size, int (*compare)(const void*, const void*)) {
  unsigned char* base = (unsigned char*)base_ptr;
  if (count < 2) return;
  for (size_t p = count / 2; p-- > 0;) sift_down(base, p, count, size, compare);
  for (size_t end = count - 1; end >= 1; end--) {
    swap_items(base, base + end * size, size);
    sift_down(base, 0, end, size, compare);
  }
}
