// The mesh builder behind the bike and rider models.
#include "bikes_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double length(V3 a) { return std::sqrt(dot(a, a)); }
V3 normalise(V3 a) {
  double l = length(a);
  return l > 0 ? a * (1 / l) : v3(0, 1, 0);
}
V3 lerp(V3 a, V3 b, double t) { return a + (b - a) * t; }
V3 mirror_x(V3 a) { return {-a.x, a.y, a.z}; }
V3 perpendicular(V3 a) {
  V3 helper = std::fabs(a.x) < 0.9 ? v3(1, 0, 0) : v3(0, 1, 0);
  return normalise(cross(a, helper));
}

MeshPart& Mesh::begin_part(double shininess, double red, double green, double blue, double factor) {
  parts.emplace_back();
  MeshPart& p = parts.back();
  p.shininess = shininess, p.red = red, p.green = green, p.blue = blue, p.factor = factor;
  return p;
}

int Mesh::add_vertex(V3 p, V3 n, double u, double v) {
  MeshVertex vx{};
  vx.p = p, vx.n = normalise(n), vx.u = u, vx.v = v;
  if (bones > 0) {
    if (weigh)
      weigh(p, vx.weights);
    else
      vx.weights[0] = 1;
  }
  part().vertices.push_back(vx);
  return (int)part().vertices.size() - 1;
}

namespace {

double uv_u(const UvRect& r, double s) { return r.u0 + (r.u1 - r.u0) * s; }
double uv_v(const UvRect& r, double t) { return r.v0 + (r.v1 - r.v0) * t; }

// Replaces the normals of vertices [first, end) by the average of the faces
// around them, for the triangles from first_triangle on.
void smooth_normals(Mesh* m, int first, size_t first_triangle) {
  MeshPart& p = m->part();
  std::vector<V3> sum(p.vertices.size() - first);
  for (size_t i = first_triangle; i + 2 < p.triangles.size(); i += 3) {
    int a = p.triangles[i], b = p.triangles[i + 1], c = p.triangles[i + 2];
    V3 n = cross(p.vertices[b].p - p.vertices[a].p, p.vertices[c].p - p.vertices[a].p);
    for (int k : {a, b, c})
      if (k >= first) sum[k - first] = sum[k - first] + n;
  }
  for (size_t k = 0; k < sum.size(); k++)
    if (length(sum[k]) > 0) p.vertices[first + k].n = normalise(sum[k]);
}

// A point of a superellipse section at angle a.
V3 section_point(const Section& s, double a) {
  double c = std::cos(a), d = std::sin(a);
  double e = 2.0 / s.power;
  double x = (c < 0 ? -1 : 1) * std::pow(std::fabs(c), e);
  double y = (d < 0 ? -1 : 1) * std::pow(std::fabs(d), e);
  return s.center + s.axis_a * x + s.axis_b * y;
}

void cap(Mesh* m, const std::vector<Section>& secs, size_t which, int sides, UvRect rect, bool at_start) {
  const Section& s = secs[which];
  V3 along = at_start ? secs[1].center - secs[0].center : secs[which].center - secs[which - 1].center;
  V3 n = normalise(at_start ? -along : along);
  int centre = m->add_vertex(s.center, n, uv_u(rect, 0.5), uv_v(rect, at_start ? 0 : 1));
  int first = (int)m->part().vertices.size();
  for (int i = 0; i <= sides; i++) {
    double a = 2 * M_PI * i / sides;
    m->add_vertex(section_point(s, a), n, uv_u(rect, (double)i / sides), uv_v(rect, at_start ? 0 : 1));
  }
  for (int i = 0; i < sides; i++) {
    if (at_start)
      m->add_triangle(centre, first + i + 1, first + i);
    else
      m->add_triangle(centre, first + i, first + i + 1);
  }
}

}  // namespace

void add_loft(Mesh* m, const std::vector<Section>& secs, int sides, UvRect rect, bool cap_start, bool cap_end) {
  int first = (int)m->part().vertices.size();
  size_t first_tri = m->part().triangles.size();
  int rings = (int)secs.size();
  for (int r = 0; r < rings; r++)
    for (int i = 0; i <= sides; i++) {
      double a = 2 * M_PI * i / sides;
      V3 p = section_point(secs[r], a);
      m->add_vertex(p, p - secs[r].center, uv_u(rect, (double)i / sides), uv_v(rect, (double)r / (rings - 1)));
    }
  // Winding: outward normals when axis_a x axis_b points along the loft.
  for (int r = 0; r + 1 < rings; r++)
    for (int i = 0; i < sides; i++) {
      int a = first + r * (sides + 1) + i, b = a + 1, c = a + sides + 2, d = a + sides + 1;
      m->add_quad(a, b, c, d);
    }
  smooth_normals(m, first, first_tri);
  // The seam is one column apart in texture space: share its normals.
  MeshPart& p = m->part();
  for (int r = 0; r < rings; r++) {
    int a = first + r * (sides + 1);
    V3 n = normalise(p.vertices[a].n + p.vertices[a + sides].n);
    p.vertices[a].n = p.vertices[a + sides].n = n;
  }
  if (cap_start) cap(m, secs, 0, sides, rect, true);
  if (cap_end) cap(m, secs, secs.size() - 1, sides, rect, false);
}

void add_tube(Mesh* m, const std::vector<V3>& points, const std::vector<double>& radii, int sides, UvRect rect,
              bool caps) {
  // Sections perpendicular to the path, with a frame carried along it so
  // bends don't twist.
  std::vector<Section> secs;
  V3 prev_b;
  for (size_t i = 0; i < points.size(); i++) {
    V3 dir = i + 1 < points.size() ? points[i + 1] - points[i] : points[i] - points[i - 1];
    if (i > 0 && i + 1 < points.size()) dir = normalise(points[i + 1] - points[i]) + normalise(points[i] - points[i - 1]);
    dir = normalise(dir);
    V3 a = i == 0 ? perpendicular(dir) : normalise(cross(prev_b, dir));
    V3 b = cross(dir, a);
    prev_b = b;
    secs.push_back(Section{points[i], a * radii[i], b * radii[i], 2});
  }
  add_loft(m, secs, sides, rect, caps, caps);
}

void add_lathe(Mesh* m, V3 centre, const std::vector<std::pair<double, double>>& profile, int segments,
               UvRect rect, std::function<double(double, int)> bump) {
  int first = (int)m->part().vertices.size();
  size_t first_tri = m->part().triangles.size();
  int n = (int)profile.size();
  for (int s = 0; s <= segments; s++) {
    double a = 2 * M_PI * s / segments;
    for (int k = 0; k < n; k++) {
      double r = profile[k].second * (bump ? bump(a, k) : 1.0);
      V3 p = centre + v3(profile[k].first, r * std::cos(a), r * std::sin(a));
      m->add_vertex(p, v3(0, std::cos(a), std::sin(a)), uv_u(rect, (double)k / (n - 1)),
                    uv_v(rect, (double)s / segments));
    }
  }
  for (int s = 0; s < segments; s++)
    for (int k = 0; k + 1 < n; k++) {
      int a = first + s * n + k, b = a + 1, c = a + n + 1, d = a + n;
      // A point on the axis is one point whatever the angle: one triangle there.
      if (profile[k].second != 0) m->add_triangle(a, d, c);
      if (profile[k + 1].second != 0) m->add_triangle(a, c, b);
    }
  smooth_normals(m, first, first_tri);
  MeshPart& p = m->part();
  for (int k = 0; k < n; k++) {  // the seam at angle 0 and 2 pi
    V3 nn = normalise(p.vertices[first + k].n + p.vertices[first + segments * n + k].n);
    p.vertices[first + k].n = p.vertices[first + segments * n + k].n = nn;
  }
}

void add_box(Mesh* m, V3 c, V3 ax, V3 ay, V3 az, V3 h, UvRect rect) {
  const V3 axes[3] = {ax * h.x, ay * h.y, az * h.z};
  for (int f = 0; f < 6; f++) {
    int k = f / 2;
    double sign = f % 2 ? -1 : 1;
    V3 n = axes[k] * sign;
    V3 u = axes[(k + 1) % 3], v = axes[(k + 2) % 3];
    if (sign < 0) u = -u;
    V3 o = c + n;
    int a = m->add_vertex(o - u - v, n, uv_u(rect, 0), uv_v(rect, 1));
    int b = m->add_vertex(o + u - v, n, uv_u(rect, 1), uv_v(rect, 1));
    int d = m->add_vertex(o + u + v, n, uv_u(rect, 1), uv_v(rect, 0));
    int e = m->add_vertex(o - u + v, n, uv_u(rect, 0), uv_v(rect, 0));
    m->add_quad(a, b, d, e);
  }
}

void add_ellipsoid(Mesh* m, V3 c, V3 r, int sides, int rings, UvRect rect) {
  std::vector<Section> secs;
  for (int i = 0; i <= rings; i++) {
    double lat = -M_PI / 2 + M_PI * i / rings;
    double s = std::cos(lat);
    if (i == 0 || i == rings) s = 2e-3;  // poles as tiny rings
    secs.push_back(Section{c + v3(0, r.y * std::sin(lat), 0), v3(r.x * s, 0, 0), v3(0, 0, -r.z * s), 2});
  }
  add_loft(m, secs, sides, rect, false, false);
}

void add_plate(Mesh* m, const std::vector<V3>& given, V3 normal, double thickness, UvRect front, UvRect edge) {
  V3 n = normalise(normal);
  // Newell's normal of the outline tells which way round it runs.
  V3 turn;
  for (size_t i = 0; i < given.size(); i++) turn = turn + cross(given[i], given[(i + 1) % given.size()]);
  std::vector<V3> outline = given;
  if (dot(turn, n) < 0) outline.assign(given.rbegin(), given.rend());
  V3 ux = perpendicular(n);
  // Texture axes: u along the outline's horizontal, v downwards.
  if (std::fabs(n.y) < 0.9) ux = normalise(cross(v3(0, 1, 0), n));
  V3 vy = cross(n, ux);
  double umin = 1e9, umax = -1e9, vmin = 1e9, vmax = -1e9;
  for (V3 p : outline) {
    umin = std::min(umin, dot(p, ux)), umax = std::max(umax, dot(p, ux));
    vmin = std::min(vmin, dot(p, vy)), vmax = std::max(vmax, dot(p, vy));
  }
  V3 half = n * (thickness * 0.5);
  int count = (int)outline.size();
  for (int side = 0; side < 2; side++) {
    V3 off = side == 0 ? half : -half;
    V3 nn = side == 0 ? n : -n;
    int first = (int)m->part().vertices.size();
    for (V3 p : outline) {
      double s = (dot(p, ux) - umin) / (umax - umin), t = (vmax - dot(p, vy)) / (vmax - vmin);
      if (side == 1) s = 1 - s;  // the back reads the right way round too
      m->add_vertex(p + off, nn, uv_u(front, s), uv_v(front, t));
    }
    for (int i = 1; i + 1 < count; i++) {
      if (side == 0)
        m->add_triangle(first, first + i, first + i + 1);
      else
        m->add_triangle(first, first + i + 1, first + i);
    }
  }
  for (int i = 0; i < count; i++) {
    V3 a = outline[i], b = outline[(i + 1) % count];
    V3 en = normalise(cross(b - a, n));
    int p = m->add_vertex(a + half, en, uv_u(edge, 0), uv_v(edge, 0));
    int q = m->add_vertex(b + half, en, uv_u(edge, 1), uv_v(edge, 0));
    int r = m->add_vertex(b - half, en, uv_u(edge, 1), uv_v(edge, 1));
    int s = m->add_vertex(a - half, en, uv_u(edge, 0), uv_v(edge, 1));
    m->add_quad(p, s, r, q);
  }
}

static void append(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
static void append(std::string* out, const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  *out += line;
}

// Numbers are written with four decimals (a hundredth of an inch is
// 0.0008 ft), which keeps the files small and the output exact.
static double tidy(double v) {
  double r = std::round(v * 10000) / 10000;
  return r == 0 ? 0 : r;  // no "-0"
}

std::string qm_text(const Mesh& m) {
  std::string out;
  if (m.bones > 0)
    append(&out, "QM2\n%d %s\n", m.bones, m.skeleton.c_str());
  else
    append(&out, "QM1\n");
  for (const MeshPart& p : m.parts) {
    append(&out, "%g %g %g %g %g %d %d\n", p.shininess, tidy(p.factor), tidy(p.red), tidy(p.green), tidy(p.blue),
           (int)p.vertices.size(), (int)p.triangles.size() / 3);
    for (const MeshVertex& v : p.vertices) {
      // The reader stores 1 - v: files count v up from the image's bottom.
      append(&out, "%g %g %g %g %g %g %g %g", tidy(v.p.x), tidy(v.p.y), tidy(v.p.z), tidy(v.n.x), tidy(v.n.y),
             tidy(v.n.z), tidy(v.u), tidy(1 - v.v));
      for (int b = 0; b < m.bones; b++) append(&out, " %g", tidy(v.weights[b]));
      out += "\n";
    }
    for (size_t i = 0; i < p.triangles.size(); i += 3)
      append(&out, "%d %d %d\n", p.triangles[i], p.triangles[i + 1], p.triangles[i + 2]);
  }
  return out;
}

std::string shp_text(const std::vector<Sphere>& spheres) {
  std::string out;
  append(&out, "%d\n", (int)spheres.size());
  for (const Sphere& s : spheres)
    append(&out, "%g %g %g %g %g %g %g\n", tidy(s.c.x), tidy(s.c.y), tidy(s.c.z), tidy(s.radius), tidy(s.friction),
           tidy(s.spring), tidy(s.damping));
  return out;
}
