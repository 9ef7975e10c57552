// Graphics: models and collision shapes (textures, shaders, the scene and the
// HUD join this header in their own sections).
#pragma once

#include <cstddef>
#include <string>

// ---------------------------------------------------------------------------
// Track generation
// ---------------------------------------------------------------------------

// Ages the caches: race reset increments it each time it loads a different
// track; 0 until the first track. A cached model whose generation is neither
// 0 (permanent: loaded before the first track) nor the current one belongs to
// an older track and is deleted at the next track change.
extern int cache_generation;

// ---------------------------------------------------------------------------
// Models (".qm")
// ---------------------------------------------------------------------------

enum ModelPartKind {
  PART_NORMAL,      // shininess >= 0: specular (r, g, b, 1), exponent max(shininess, 0.125)
  PART_REFLECTIVE,  // shininess -1: drawn only by the reflection pass, colour (r, g, b) x factor
  PART_SELF_LIT,    // shininess -2: fixed brightness, ambient light (r, g, b, factor)
};

enum { MODEL_BONE_SLOTS = 4 };

// One part of a model. A model is a list of parts; its first part (the head)
// also carries the model-wide fields and heads the level-of-detail chain.
struct Model {
  Model* next_part;          // following part of the same model
  int kind;                  // ModelPartKind
  float shininess;           // as read
  float colour[4];           // r, g, b and 1 (normal parts) or factor (others)
  int vertex_count;
  int triangle_count;        // after degenerate triangles were removed
  int bone_count;            // from the file; 0 = not skinned
  float* positions;          // 3 per vertex, model units (ft)
  float* normals;            // 3 per vertex, unit length as read
  float* uvs;                // 2 per vertex; v stored as 1 - v of the file
  float* tangents;           // 3 per vertex, unit length (direction of growing u)
  // Skinned parts only: the copy that processor skinning writes into (the
  // arrays above stay the bind pose), and the four strongest influences.
  float* skinned_positions;  // 3 per vertex
  float* skinned_normals;    // 3 per vertex
  float* skinned_tangents;   // 3 per vertex
  float* bone_weights;       // 4 per vertex, summing to 1
  int* bone_indices;         // 4 per vertex
  int* triangles;            // 3 vertex indices each
  float texel_density_u;     // largest |du| per ft of edge (head: max over parts)
  float texel_density_v;     // largest |dv| per ft of edge (head: max over parts)
  unsigned display_list;     // GL list name, 0 = none (filled by the renderer)

  // Head only.
  int generation;            // track generation that last used it, 0 = permanent
  bool reflective;           // some part has shininess -1
  float lod_distance;        // 2^level for a "_lod" model, 0 for the base model
  Model* next_lod;           // next coarser model, by increasing lod_distance
  char* path;                // the name it was loaded by
};

// Parses a ".qm" file held in memory (size bytes, need not be terminated).
// name is used in messages. Null, with a message, when the file is not a
// model or its first part is broken.
Model* model_parse(const char* data, size_t size, const char* name);
// Reads and parses a file (no cache, no levels of detail). Null when it can't
// be opened (silently: callers report it) or parsed.
Model* model_load(const char* path);
// Frees a model: all its parts and its level-of-detail chain.
void model_free(Model* model);

// The model cache. get_model returns the cached model (a match that differs
// only in case warns "Warning: case mismatch on '%.900s'"), or loads it and
// for an "@" path its "_lod" siblings from the file list. Every lookup stamps
// the model with the current generation (permanent models stay permanent).
Model* get_model(const char* path);
// Deletes, last cache entry first, every model of an older track.
void delete_stale_models();
// Shutdown: deletes every cached model ("Deleting models").
void delete_all_models();
int model_cache_count();

// Levels of detail. For the model path "@" + base + extension, the level of a
// file-list name base + "_lod" + number + extension (a ".gz" or ".scram"
// ending allowed), or -1 when the name is no such sibling; *stripped gets the
// "@" path to open (the ending removed).
double model_lod_level(const char* model_path, const char* list_name, std::string* stripped);
// Inserts a model into the chain of head by increasing lod_distance.
void model_insert_lod(Model* head, Model* lod);
// The model to draw at distance d (ft) with the LOD bias b and scale s: from
// the base model, step on while the next one's (lod_distance - b) is at most 0
// or at most s x d.
const Model* model_pick_lod(const Model* head, double distance, double bias, double scale);

// Renderer seams: build the GPU side of a freshly loaded model (display lists
// or vertex arrays) and release it when the model is deleted. Nothing to do
// until the renderer hooks in.
void model_prepare_gpu(Model* model);
void model_release_gpu(Model* model);

// The model as a POV-Ray "mesh2" (several parts inside "union"), as text or
// written to a stream (the editor's export); false when writing failed.
std::string povray_mesh_text(const Model* model);
struct Stream;
bool write_povray_mesh(const Model* model, Stream* out);

// ---------------------------------------------------------------------------
// Collision shapes (".shp")
// ---------------------------------------------------------------------------

struct ShapeSphere {
  float center[3];   // in the owning body's frame (ft)
  float radius;      // ft
  float friction;    // friction coefficient
  float spring;      // spring constant (lbf/ft)
  float damping;     // damping constant (lbf s/ft)
};

struct Shape {
  char* path;              // the name it was loaded by
  int sphere_count;
  ShapeSphere* spheres;
  float bounding_radius;   // largest |centre| + radius (ft)
};

// Parses a ".shp" file held in memory; null with a message when malformed.
Shape* shape_parse(const char* data, size_t size, const char* name);
// The cached shape of a path (exact match), loaded on first use; null when it
// can't be opened or parsed. Cached shapes live until exit.
Shape* get_shape(const char* path);
// A private copy of the cached shape for an object that moves its spheres;
// release it with shape_free.
Shape* copy_shape(const char* path);
void shape_free(Shape* shape);
// Exit: frees every cached shape.
void delete_all_shapes();
