// Building blocks of the bike and rider models: a small mesh builder with
// the shapes a dirt bike is made of (tubes, lofts, lathes, boxes, plates),
// and writers for our ".qm" and ".shp" text formats.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct V3 {
  double x = 0, y = 0, z = 0;
};

inline V3 v3(double x, double y, double z) { return V3{x, y, z}; }
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline V3 operator-(V3 a) { return {-a.x, -a.y, -a.z}; }
double dot(V3 a, V3 b);
V3 cross(V3 a, V3 b);
double length(V3 a);
V3 normalise(V3 a);
V3 lerp(V3 a, V3 b, double t);
V3 mirror_x(V3 a);
// A unit vector perpendicular to a.
V3 perpendicular(V3 a);

// A rectangle of a texture in image coordinates: 0..1 from the top-left
// corner, u to the right, v down.
struct UvRect {
  double u0, v0, u1, v1;
};

enum { MESH_MAX_BONES = 9 };

struct MeshVertex {
  V3 p, n;
  double u, v;                     // image coordinates (v down)
  double weights[MESH_MAX_BONES];  // skinned meshes only
};

struct MeshPart {
  double shininess = 8, factor = 1, red = 0.3, green = 0.3, blue = 0.3;  // part header
  std::vector<MeshVertex> vertices;
  std::vector<int> triangles;
};

// Bone weights of a vertex from its position (skinned meshes).
using Weigher = std::function<void(V3 p, double* weights)>;

struct Mesh {
  int bones = 0;                  // 0: a version 1 file
  std::string skeleton = "none";  // named in version 2 files
  std::vector<MeshPart> parts;
  Weigher weigh;                  // null: every vertex on bone 0

  MeshPart& part() { return parts.back(); }
  // Starts a part with the given specular colour and exponent.
  MeshPart& begin_part(double shininess, double red, double green, double blue, double factor = 1);
  int add_vertex(V3 p, V3 n, double u, double v);
  void add_triangle(int a, int b, int c) { part().triangles.insert(part().triangles.end(), {a, b, c}); }
  void add_quad(int a, int b, int c, int d) { add_triangle(a, b, c), add_triangle(a, c, d); }
};

// A closed section for lofts: centre and two half-axes in space, and the
// superellipse exponent of its outline (2 = ellipse, larger = boxier).
struct Section {
  V3 center, axis_a, axis_b;
  double power = 2;
};

// Surfaces, each appended to the current part with smooth normals inside it.
// Sides run around, rings along; texture s around, t along, inside rect.
void add_loft(Mesh* m, const std::vector<Section>& sections, int sides, UvRect rect, bool cap_start, bool cap_end);
// A round tube along a polyline with a radius per point.
void add_tube(Mesh* m, const std::vector<V3>& points, const std::vector<double>& radii, int sides, UvRect rect,
              bool caps);
// A surface of revolution about the axis through centre along x: profile
// points (x offset, radius), listed so that the surface's outside lies to the
// left going along (with x to the right and the radius up): a solid's
// section is traced clockwise. bump scales the radius by angle and point.
void add_lathe(Mesh* m, V3 centre, const std::vector<std::pair<double, double>>& profile, int segments,
               UvRect rect, std::function<double(double angle, int profile_index)> bump = nullptr);
// A box with flat faces, axes given by three unit vectors.
void add_box(Mesh* m, V3 centre, V3 ax, V3 ay, V3 az, V3 half, UvRect rect);
inline void add_box(Mesh* m, V3 centre, V3 half, UvRect rect) {
  add_box(m, centre, v3(1, 0, 0), v3(0, 1, 0), v3(0, 0, 1), half, rect);
}
// An ellipsoid with half-axes along x, y and z.
void add_ellipsoid(Mesh* m, V3 centre, V3 radii, int sides, int rings, UvRect rect);
// A flat convex outline (either way round) made solid
// by thickness; the front face maps the whole rect by its bounding box.
void add_plate(Mesh* m, const std::vector<V3>& outline, V3 normal, double thickness, UvRect front, UvRect edge);

// Model text in the ".qm" format (version 1, or 2 with bones).
std::string qm_text(const Mesh& m);

struct Sphere {
  V3 c;
  double radius, friction, spring, damping;
};
// Shape text in the ".shp" format.
std::string shp_text(const std::vector<Sphere>& spheres);
