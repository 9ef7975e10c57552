// Track and terrain: the track list, loading and unloading a track folder,
// the heightfield with its ground queries, and the surface table.
//
// One TerrainRecord (`terrain`) exists for the loaded track. Ground queries
// read it directly; heights change only through terrain_set_height.
// Units are feet, y is up; grid point (column c, row r) lies at (c s, h, r s).
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// Surface table
// ---------------------------------------------------------------------------

enum {
  SURFACE_MAX = 256,
  SURFACE_NAME_CHARS = 47,
  FRICTION_POINTS = 8,
  ROLL_POINTS = 8,
  ROOST_TYPES = 4,
  ERODE_LIMITS = 8,
};

// A friction point whose speed is FRICTION_UNUSED ends the curve.
constexpr float FRICTION_UNUSED = 1048576.0f;
constexpr float FRICTION_SPEED_MAX = 1048575.0f;
// A roll point whose speed is 0 ends the curve; given speeds are at least this.
constexpr float ROLL_SPEED_MIN = 1.0f / 1048576.0f;

struct FrictionPoint {
  float coefficient;  // friction coefficient
  float speed;        // ft/s (squared when compared for slip function 0)
};

struct RollPoint {
  float shallow;  // resistance with the wheel barely sunk
  float deep;     // resistance at the reference sinking depth
  float speed;    // tangential speed, ft/s
};

enum { ROOST_UNUSED = 0, ROOST_ROOST = 1, ROOST_SPLASH = 2 };

struct RoostType {
  int32_t type;            // ROOST_UNUSED, ROOST_ROOST or ROOST_SPLASH
  int32_t texture;         // texture handle, 0 for none
  float count;             // particles per tic; fraction used as a probability
  float dig;
  float slip_threshold;    // ft/s
  float slow_angle;        // radians
  float fast_angle;        // radians
  float slow_speed;        // ft/s
  float fast_speed;        // ft/s
  float size;              // ft
  float grow;              // ft/s
  float drag;              // 1/s
  float vscale;
  float randomize;
  uint8_t colour[4];       // start colour R, G, B, A
  int8_t fade[4];          // colour change per tic R, G, B, A
};

// How a surface ruts and erodes (44 values, in file order).
struct ErodeParams {
  float depth, lower, upper, displacement, radius, inner_depth, inner_radius;
  float min_slope, max_slope, off_speed, on_speed, slip_lower, slip_upper;
  float slip_base_scale, slip_scale, downhill_scale;
  float limit_depth[ERODE_LIMITS];    // ft
  float limit_first[ERODE_LIMITS];    // first factor per limit
  float limit_second[ERODE_LIMITS];   // second factor per limit
  float project_to_ground, lateral_scale, front_scale;
  int32_t limit_count;                // limits in use
};

struct SurfaceTile {
  char name[SURFACE_NAME_CHARS + 1];
  int32_t texture;                    // texture handle, 0 for none
  uint8_t* pixels;                    // software-baked texture pixels, or null
  int pixel_width, pixel_height;
  FrictionPoint friction[FRICTION_POINTS];  // ascending speed
  int32_t slip_function;              // 0 speed squared, 1 speed, 2 slip speed
  RollPoint roll[ROLL_POINTS];        // ascending speed
  RoostType roost[ROOST_TYPES];
  ErodeParams erode;
  int32_t transition;                 // (A << 16) | (B << 8) | corner bits
  const char* texture_file;           // pooled texture file name (no "@", no folder)
};

// A surface with every value at its default.
void surface_defaults(SurfaceTile* s);
void erode_defaults(ErodeParams* e);
void roost_defaults(RoostType* r);

// Curve evaluation. For slip function 0 the query is the contact speed
// squared; for 1 the contact speed; for 2 the slip speed (ft/s).
float surface_friction(const SurfaceTile* s, int slip_function, float query);
void surface_roll_resistance(const SurfaceTile* s, float speed, float* shallow, float* deep);

// Builds a surface table from tileinfo or texturelist text, one line at a
// time. The builder holds the surface being described.
struct TileinfoBuilder {
  SurfaceTile current;
  int friction_count, roll_count, roost_count, limit_count;
  bool have_name;
  SurfaceTile* out;    // destination table (SURFACE_MAX entries)
  int count;           // surfaces stored
};
void tileinfo_begin(TileinfoBuilder* b, SurfaceTile* table);
// Handles one line (without or with its line end); false once the table is full.
bool tileinfo_line(TileinfoBuilder* b, const char* line);
// One texturelist line; false once the table is full.
bool texturelist_line(TileinfoBuilder* b, const char* line);
// Computes every surface's transition code from its texture file name.
void surface_transitions(SurfaceTile* table, int count);
// The surface index to paint neighbours with, for corners A/B (bits 8,4,2,1).
int transition_corner(int32_t code, int bit);

// Position to surface index (clamped to the border tile cells).
int surface_at(float x, float z);
// The surface record for an index; indices past the table give a default
// surface so that an empty table never reads outside it.
const SurfaceTile* surface_get(int index);
// Tile painting (track editor): cell (i, j) gets surface b, neighbours are
// re-tiled with transition surfaces.
void surface_paint(int i, int j, int b);

// ---------------------------------------------------------------------------
// Terrain record
// ---------------------------------------------------------------------------

enum {
  TERRAIN_MAX_N = 12,      // largest size exponent accepted (8193 points a side)
  TERRAIN_MOD_REDRAW = 1,  // modification bits: editor redraw bookkeeping
  TERRAIN_MOD_UNSAVED = 2, //   changes not yet saved
  TERRAIN_MOD_EDITOR = 4,  //   editor's own bookkeeping
};

// Light used to refresh shading (the track's lighting fills it).
struct TerrainLight {
  float sun_direction[3];  // unit vector towards the sun
  float sun_colour[3];
  float ambient[3];
};

struct TerrainRecord {
  int n;                    // size exponent: dim = 2^(n+1) + 1
  int dim;                  // grid points per side
  float spacing;            // ft between neighbouring grid points
  float world_size;         // ft, 2^(n+1) x spacing
  float tile_size;          // ft, side of one tile cell (2 x spacing)
  float* heights;           // dim x dim current heights (ft), row-major
  float* loaded_heights;    // dim x dim heights as loaded
  float min_height, max_height;  // ft
  uint8_t* shading;         // dim x dim x 3; value v means brightness 2v/255
  uint8_t* shadow;          // dim x dim darkness, 0 lit .. 255 shadowed
  uint8_t* normal_texture;  // dim x dim x 3, only with shader texturing
  float* tri_normals;       // 3 floats per triangle, 2(dim-1) per cell row
  uint32_t* shading_dirty;  // one bit per grid point
  uint32_t* normal_dirty;   // one bit per grid point (shader texturing only)
  uint32_t* tri_dirty;      // one bit per triangle
  bool edit_lock;           // height writes ignored while set
  unsigned modified;        // TERRAIN_MOD_* bits
  int change_count;         // brush operations so far
  uint8_t heights_digest[20];  // RIPEMD-160 of the samples as loaded
  TerrainLight light;

  SurfaceTile* surfaces;    // SURFACE_MAX entries
  int surface_count;
  int tiles;                // tile cells per side, 2^n
  uint8_t* tilemap;         // tiles x tiles surface indices
};

extern TerrainRecord terrain;

// Allocates an empty record of exponent n and spacing s: all heights 0,
// shading at full brightness, nothing shadowed, no surfaces, tile map 0.
// Used by the load, the data generator and tests. False if n is out of range.
bool terrain_alloc(int n, float spacing);
void terrain_free();
bool terrain_loaded();

// Loads terrain.hf (+ terrain.png), shading, shadows, surface table, tile
// map from "@" + folder. False (with a message) on any failure, leaving no
// terrain.
bool terrain_load(const char* folder, int texture_mode);
bool terrain_save(const char* folder);
// The files terrain_save writes, below prefix + "/" ("@" + folder for a
// track, or a plain folder).
bool terrain_write_files(const char* prefix);
// Min and max from the current heights (after generating or editing).
void terrain_update_range();

// Ground queries.
float terrain_height(float x, float z);
void terrain_normal(float x, float z, float out[3]);   // upward, not unit
void terrain_vertex_normal(int c, int r, float out[3]); // unit
void terrain_shade(int c, int r, uint8_t out[3]);
// The triangle under (x, z) as a triangle index and its three vertices
// (column, row pairs, in the triangulation's vertex order).
int terrain_triangle_at(float x, float z, int vertices[3][2]);
void terrain_triangle_vertices(int t, int row, int vertices[3][2]);

struct GroundContact {
  float point[3];   // contact point on the body's surface (ft)
  float normal[3];  // unit, from the ground towards the body
  float depth;      // penetration (ft), > 0 for a contact
};

struct Wheel {
  float centre[3];  // ft
  float axle[3];    // axle direction (need not be unit)
  float rim_radius; // R: distance from the axle to the tube centre (ft)
  float tube_radius;// r (ft)
};

bool terrain_sphere_contact(const float centre[3], float radius, GroundContact* out);
bool terrain_wheel_contact_deepest(const Wheel* w, GroundContact* out);
bool terrain_wheel_contact_first(const Wheel* w, GroundContact* out);

void terrain_set_height(int c, int r, float h);
// Sum of all current heights, printed as "%f\n" (console command "hfvol").
double terrain_hfvol();

// ---------------------------------------------------------------------------
// Track list and loading
// ---------------------------------------------------------------------------

struct TrackEntry {
  const char* folder;     // pooled, e.g. "tracks/rabbithill"
  const char* long_name;  // pooled, first line of desc
};

struct TrackState {
  TrackEntry* list;       // sorted by long name
  int count;
  const char* folder;     // current track folder, null for none
  const char* long_name;  // current track's long name
  bool loaded;            // a track is loaded
  uint8_t hash[20];       // RIPEMD-160 of the defining files
  bool force_reload;      // next reset reloads even the same track
};

extern TrackState track;

// Keeps every name ending in a terrain file name, reads each folder's long
// name, sorts. False when no track was found. Reads the file list given
// (null-terminated), normally the file index's.
bool track_list_scan();
bool track_list_build(const char* const* names);
void track_list_free();
// Long name of a folder ("desc" first line, or the folder itself).
const char* track_long_name(const char* folder);
// Case-insensitive, prefix-first ordering of long names.
int track_name_compare(const char* a, const char* b);

bool track_load();
void track_unload();
// The track half of a race reset: (re)loads `folder` when no track is
// loaded, the folder differs, a multiplayer race starts or a reload is
// forced; then runs the track script and sets the edit lock in multiplayer.
bool track_select_and_load(const char* folder, bool multiplayer);
void track_force_reload();
bool trackinfo_save();

// Loading screen: a step's message, its progress ticks and its done form.
void loading_show(const char* message, bool log);
void loading_tick(const char* message);
void loading_done(const char* message);
void loading_delay_reset();
void loading_delay_report();
