// Private to the model code: part storage and the work done on every part
// after it was read (tangents, degenerate triangles, texel densities).
#pragma once

struct Model;

// A zeroed part with room for the given counts (skinning arrays when
// bone_count > 0), all arrays in one memory-layer block; null when the
// memory can't be had.
Model* model_part_new(int vertex_count, int triangle_count, int bone_count);
// Frees one part (not the parts after it).
void model_part_free(Model* part);
// Tangents of every part, removal of degenerate or out-of-range triangles
// (reported as "%d degenerate triangles deleted in %.100s"), texel densities
// and the head's model-wide fields; path becomes the head's path.
void model_finish(Model* head, const char* path);

// Steps of model_finish, exposed for tests.
void part_compute_tangents(Model* part);
int part_remove_degenerate(Model* part);
void part_texel_densities(Model* part);
