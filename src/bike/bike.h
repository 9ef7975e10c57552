// Bike simulation: the bike catalogue (the physics of bodies, tyres, engine
// and rider join this header in their own sections).
#pragma once

// ---------------------------------------------------------------------------
// Bike catalogue
//
// Built-in constant data, one entry per bike model. Units: feet, slugs,
// pounds-force, foot-pounds, radians, rad/s, and rpm for engine speeds.
// Positions are in the bike's frame at rest: x across (the bike is symmetric
// about x = 0), y up, z backwards (the front wheel has the smaller z).
// ---------------------------------------------------------------------------

enum {
  BIKE_MODEL_COUNT = 80,
  BIKE_DEFAULT_MODEL = 49,   // "yz250f(2017)"
  BIKE_GEARS = 6,            // gearbox slots; a ratio <= 0 marks a missing gear
  BIKE_TORQUE_POINTS = 50,   // torque table entries, 500 rpm apart from 0 rpm
  BIKE_FILE_COUNT = 23,
  BIKE_FILE_CHARS = 64,
  BIKE_POSE_VALUES = 58,
};

// Roles of the catalogue's file names, in order ("@" names are game data).
enum BikeFile {
  BIKE_FILE_FRAME_MODEL, BIKE_FILE_FRAME_SHAPE, BIKE_FILE_BIKE_TEXTURE,
  BIKE_FILE_FORK_UPPER_MODEL, BIKE_FILE_FORK_UPPER_SHAPE,
  BIKE_FILE_FORK_LOWER_MODEL, BIKE_FILE_FORK_LOWER_SHAPE,
  BIKE_FILE_SWINGARM_MODEL, BIKE_FILE_SWINGARM_SHAPE,
  BIKE_FILE_FRONT_WHEEL_MODEL, BIKE_FILE_FRONT_WHEEL_SHAPE,
  BIKE_FILE_REAR_WHEEL_MODEL, BIKE_FILE_REAR_WHEEL_SHAPE,
  BIKE_FILE_WHEEL_TEXTURE,
  BIKE_FILE_HEAD_MODEL, BIKE_FILE_HEAD_TEXTURE,
  BIKE_FILE_BODY_MODEL, BIKE_FILE_BODY_FP_MODEL, BIKE_FILE_RIDER_SHAPE, BIKE_FILE_BODY_TEXTURE,
  BIKE_FILE_SIDE_PLATES_MODEL, BIKE_FILE_FRONT_PLATE_MODEL, BIKE_FILE_RIDER_PLATE_MODEL,
};

struct WheelBlock {
  float center[3];            // wheel centre at rest (ft)
  float tire_ring_radius;     // radius of the tyre's centre circle (ft)
  float tire_section_radius;  // radius of the tyre's cross-section (ft); rolling radius = ring + section
  float ring_mass;            // rim and tyre, spread over 16 points on the centre circle (slugs)
  float hub_radius;           // hub sphere radius (ft)
  float hub_mass;             // hub sphere mass (slugs)
};

struct BikeModel {
  char name[16];                   // model name, the key a model is chosen by
  char class_name[16];             // "125", "250", "250f", "450f" or "50"
  WheelBlock front_wheel;
  WheelBlock rear_wheel;
  float frame_position[3];         // centre of the frame body (ft)
  float frame_mass;                // frame without the rider (slugs)
  float frame_box[3];              // sides of the frame's inertia box (ft)
  float steering_head[3];          // upper point of the steering axis; upper fork centre (ft)
  float swingarm_position[3];      // centre of the swingarm body (ft)
  float swingarm_pivot[3];         // swingarm pivot (ft)
  float fork_lower_position[3];    // lower point of the steering axis; lower fork centre (ft)
  float fork_tube_spacing;         // between the two fork tubes (ft)
  float fork_tube_length;          // each tube's inertia cylinder is 2/3 of it (ft)
  float fork_mass;                 // both fork tubes (slugs)
  float fork_spring_min, fork_spring_max;    // both legs, at adjustment 0 and 1 (lbf/ft)
  float fork_preload_min, fork_preload_max;  // ft
  float fork_air_gap_min, fork_air_gap_max;  // air above the oil, first at adjustment 0 (ft)
  float fork_damping[4];           // hs compression, ls compression, hs rebound, ls rebound
  float fork_travel;               // ft
  float swingarm_mass;             // each of the swingarm's two boxes (slugs)
  float shock_spring_min, shock_spring_max;    // lbf/ft
  float shock_preload_min, shock_preload_max;  // ft
  float shock_damping[4];          // hs compression, ls compression, hs rebound, ls rebound
  // Rear linkage curve: value at the split point, value at full travel (ft of
  // shock), full swingarm travel angle (rad), split point (fraction of
  // travel), slopes at zero, at the split point and at full travel.
  float linkage[7];
  float primary_ratio;             // crank to gearbox
  float front_sprocket;            // teeth
  float rear_sprocket;             // teeth
  float gear_ratios[BIKE_GEARS];   // gears 1 to 6; <= 0 marks a gear the bike lacks
  float engine_inertia;            // slug ft^2
  float clutch_stiffness;          // drive line, ft lbf per rad
  float clutch_damping;            // ft lbf per rad/s
  float closed_torque[BIKE_TORQUE_POINTS];  // ft lbf at zero throttle, at 0, 500 ... 24500 rpm
  float open_torque[BIKE_TORQUE_POINTS];    // ft lbf at full throttle, same points
  float shift_down_rpm;            // automatic shifting changes down below this
  float shift_up_rpm;              // and up above this
  float rider_lean_axis[3];        // lean direction of the rider's mass point (old state records)
  float rider_position[3];         // rest position of the rider's mass point (ft)
  float rider_lean_min, rider_lean_max;  // lean travel along rider_lean_axis (ft)
  float rider_mass;                // slugs
  char files[BIKE_FILE_COUNT][BIKE_FILE_CHARS];  // by BikeFile role
  // Rider pose points, the same in every entry: a first point, then shoulder,
  // hip, grip and foot-peg pairs (x of opposite sign), four limb lengths, and
  // the rider outline points.
  float rider_pose[BIKE_POSE_VALUES];
};

// The catalogue entry of a model index, or null outside 0..79. The index is
// what demos, network messages and the bike record carry.
const BikeModel* bike_model(int index);

// The index of the model with exactly this name. An unknown name takes the
// first model whose name contains "125" when it does, else the first whose
// name contains "250f", and shows "bike info for '%.20s' not found using
// '%.20s' instead".
int find_bike_model(const char* name);
// The exact entry, or null: no substitute, no message.
const BikeModel* lookup_bike_model(const char* name);
// Old entrant names without a year map to the 2008 models; other names come
// back unchanged.
const char* bike_legacy_name(const char* name);

// Gear g (0 = first) exists when its ratio is above zero.
bool gear_count_valid(const BikeModel* model, int gear);
// A requested gear clamped to 0..5, then stepped down to one that exists.
int gear_clamp(const BikeModel* model, int gear);

// Engine torque (ft lbf) from a 50-point table at an engine speed in rpm,
// interpolated between the neighbouring points, clamped at both ends.
float torque_lookup(const float table[BIKE_TORQUE_POINTS], float rpm);

// ---------------------------------------------------------------------------
// Bike physics: the world, bike records, suspension, tyre and body contact
//
// Every bike is seven rigid bodies and six joints in one shared ODE world.
// Units as in the catalogue: feet, slugs, seconds, pounds-force, radians;
// y is up and a bike at rest faces -z. One tic is 1/128 s.
// ---------------------------------------------------------------------------

#include <cstdint>

#include <ode/ode.h>

struct Shape;
struct Model;

enum {
  BIKE_SLOTS = 160,         // one bike record per slot
  BIKE_SLOT_NONE = 160,
  BIKE_BODIES = 7,
  BIKE_JOINTS = 6,
  BIKE_WHEELS = 2,          // contact records: front, rear
  BIKE_MODEL_PARTS = 12,    // drawn models of one bike
  BIKE_TEXTURES = 4,
  BIKE_VELOCITY_RING = 4,   // rider mass point velocities kept
  CRASH_DELAY_ENTRIES = 16,
  CRASH_DELAY_MAX = 460800, // tics a server may add to a crash
  CRASH_TICS = 512,         // time on the ground before remounting
};

constexpr double TIC_SECONDS = 1.0 / 128.0;
constexpr double WORLD_GRAVITY = 32.0;  // ft/s^2, downwards

// Bodies, in the order every per-body loop and saved state uses.
enum BikeBody {
  BODY_FRAME, BODY_FRONT_WHEEL, BODY_REAR_WHEEL, BODY_FORK_UPPER, BODY_FORK_LOWER, BODY_SWINGARM, BODY_RIDER,
};
// Joints, in creation order.
enum BikeJoint {
  JOINT_FRONT_AXLE, JOINT_REAR_AXLE, JOINT_STEERING, JOINT_FORK, JOINT_SWINGARM, JOINT_RIDER_MOUNT,
};
enum BikeWheel { WHEEL_FRONT, WHEEL_REAR };
// Which parts of a bike touched another bike: bit (1 << BikeBody).
enum BikePartBit {
  BIKE_PART_FRAME = 1, BIKE_PART_FRONT_WHEEL = 2, BIKE_PART_REAR_WHEEL = 4, BIKE_PART_FORK_UPPER = 8,
  BIKE_PART_FORK_LOWER = 16, BIKE_PART_SWINGARM = 32, BIKE_PART_RIDER = 64,
};
// Drawn models, in the catalogue's file order.
enum BikeModelPart {
  BIKE_MODEL_FRAME, BIKE_MODEL_FORK_UPPER, BIKE_MODEL_FORK_LOWER, BIKE_MODEL_SWINGARM,
  BIKE_MODEL_FRONT_WHEEL, BIKE_MODEL_REAR_WHEEL, BIKE_MODEL_HEAD, BIKE_MODEL_BODY, BIKE_MODEL_BODY_FP,
  BIKE_MODEL_SIDE_PLATES, BIKE_MODEL_FRONT_PLATE, BIKE_MODEL_RIDER_PLATE,
};
enum BikeTexture { BIKE_TEXTURE_BODY, BIKE_TEXTURE_HEAD, BIKE_TEXTURE_BIKE, BIKE_TEXTURE_WHEEL };

// First flags byte.
enum BikeFlag {
  BIKE_FLAG_ALWAYS = 1,
  BIKE_FLAG_WHEELIE_CUT = 2,        // "Stop Wheelies": no engine torque with the front wheel up
  BIKE_FLAG_WHEELIE_BRAKE = 4,      // "Stop Wheelies": no front brake with the rear wheel up
  BIKE_FLAG_FRONT_ANTILOCK = 8,
  BIKE_FLAG_REAR_ANTILOCK = 16,
  BIKE_FLAG_AUTO_SHIFT = 32,
  BIKE_FLAG_DAB_WHEN_STOPPED = 64,
  BIKE_FLAG_REALIGN = 128,
};
enum { BIKE_FLAG2_LOCAL = 1 };  // second flags byte: simulated on this machine

// The tyre's touch with the ground, one per wheel; filled every tic.
struct ContactRecord {
  dBodyID body;             // the wheel body
  float axle[3];            // axle in the wheel body's frame, (1, 0, 0)
  float ring_radius;        // tyre centre circle (ft)
  float section_radius;     // tyre cross-section (ft)
  float point[3];           // world contact point (ft)
  float point_velocity[3];  // wheel body velocity at the point: the slip velocity (ft/s)
  float normal[3];          // unit ground normal
  float depth;              // penetration (ft); <= 0 means off the ground
  dJointFeedback feedback;  // forces of the wheel's contact joint in the last step
};

// Damping coefficients of a fork or shock (lbf s/ft, or ft lbf per ft/s of shock).
struct SuspensionDamping {
  float hsc, lsc;  // high- and low-speed compression
  float hsr, lsr;  // high- and low-speed rebound
};

struct Bike {
  // Identity.
  bool in_use;                       // the slot holds a created bike
  int32_t model;                     // catalogue index
  const BikeModel* info;             // catalogue entry of model
  int32_t slot;                      // 0..159
  int32_t number;                    // rider number shown on the plates
  dBodyID bodies[BIKE_BODIES];       // BikeBody order
  dJointID joints[BIKE_JOINTS];      // BikeJoint order
  dJointFeedback joint_feedback[BIKE_JOINTS];
  ContactRecord contacts[BIKE_WHEELS];

  // Controls (written through the setters).
  float throttle;      // 0..1
  float clutch;        // engagement 0..1, 1 = fully engaged
  float front_brake;   // 0..1
  float rear_brake;    // 0..1
  float steering;      // -1..1, positive = left
  float sit_dab;       // 0..1
  float back_up;       // 0..1
  float lean;          // -1..1, positive = backwards
  uint8_t control_set; // a control value was written since the last tic

  // Drivetrain.
  int32_t gear;          // 0 = first
  int32_t last_shift;    // last shift input, -1, 0 or +1
  float engine_angle;    // referred to the rear wheel (rad, within +-pi)
  float engine_speed;    // rad/s
  float final_drive;     // rear teeth / countershaft teeth

  // Fork and shock.
  SuspensionDamping fork_damping;
  float fork_spring;     // both legs (lbf/ft)
  float fork_preload;    // ft
  float fork_air_gap;    // air above the oil (ft)
  SuspensionDamping shock_damping;
  float shock_spring;    // lbf per ft of shock
  float shock_preload;   // ft of shock

  // Rider springs, each 0..1.
  float rider_vertical_spring, rider_vertical_damping;
  float rider_forward_spring, rider_forward_damping;
  float rider_mass_distribution;  // share of the rider's mass in the mass point (1/3 .. 1/2)

  float total_mass;  // of the seven bodies (slugs)

  // Riding aids.
  float roll_damping, leveling, roll_limit_factor;
  float roll_limit_angle;           // rad
  float steering_damping, steering_strength, max_steering_force, direct_steering;
  float slow_damping_speed;         // ft/s
  float slow_damping_factor;
  float landing_damping_falloff;    // s
  float landing_damping_factor;
  float landing_damping_multiplier; // current, >= 1
  float auto_clutch_rpm;
  float front_brake_torque, rear_brake_torque;  // ft lbf at full lever
  float max_dab_speed;              // ft/s
  float full_lock_speed, restricted_lock_speed;  // ft/s
  float restricted_lock_angle;      // rad

  // Collision shapes by body (null: that part makes no shape contact), the
  // drawn models and the texture names asked for.
  Shape* shapes[BIKE_BODIES];
  Model* models[BIKE_MODEL_PARTS];
  const char* textures[BIKE_TEXTURES];

  // State.
  int32_t crash_timer;     // tics; > 0 while the rider is down
  int32_t crash_count;
  int32_t airborne_tic, landing_tic;
  int32_t lap_progress;
  float presence;          // 0..1; solid only above 0.25
  int32_t arcade;          // arcade physics on
  float counter_steer;     // counter-steer readiness 0..1
  float landing_timer;
  float rider_velocity[BIKE_VELOCITY_RING][3];  // rider mass point, ring by tic mod 4 (ft/s)
  float collision_timer;   // tics, moved toward 0 every tic
  int32_t last_bike_contact_tic;
  int32_t query_tic;       // tic whose contacts wheel_contact_query filled
  bool touched_down;       // a fork, swingarm or rider shape touched the ground
  float dab_extension;     // 0..1, drives the foot drawing
  float feet[2][3];        // world positions of the left and right foot (ft)
  float feet_velocity[2][3];  // ft/s, while the rider is down
  // Controls the stopped and back-up aids override for one tic, restored at
  // the end of it.
  float held_front_brake, held_rear_brake, held_sit_dab;
  bool aid_override;
  uint8_t flags;           // BikeFlag bits
  uint8_t flags2;          // BIKE_FLAG2_* bits

  // Robot and racing-line bookkeeping.
  int32_t line_ids[4];     // racing lines a robot remembers
};

// The shared world: one per program.
struct PhysicsWorld {
  dWorldID world;
  dJointGroupID contact_group;  // joints that live for one step
  int32_t tic;                  // race clock in tics, kept by whoever drives the race
  int32_t crash_delay[CRASH_DELAY_ENTRIES];  // extra tics on the ground, by crash count
};

extern PhysicsWorld physics;
extern Bike bikes[BIKE_SLOTS];

// Creates the world (gravity (0, -32, 0), library default ERP and CFM) and
// the contact group; true when it exists afterwards. Safe to call again.
bool physics_world_create();
// Destroys every bike, the contact group and the world.
void physics_world_destroy();
// One exact world step of a tic; the contact group is emptied after it.
void physics_world_step();
// Spring k and damper c as the solver's ERP and CFM for a step of one tic.
void soft_constraint(double k, double c, double* erp, double* cfm);
// Extra crash delay for a crash count index (server setting), 0..460800 tics.
void crash_delay_set(int index, int tics);

// Creates the bike of a slot, or null when slot is not 0..159. An unknown
// model is substituted (with the catalogue's message); a shape or model
// file that can't be loaded logs "Warning: Can't load %.900s" and the bike
// is made without it. A bike already in the slot is destroyed first. local
// marks a bike simulated on this machine (not a remote rider). Texture names
// are kept for the renderer; an empty or null one means the catalogue's own.
Bike* bike_create(const char* model_name, int slot, bool local, int number, const char* body_texture,
                  const char* head_texture, const char* bike_texture, const char* wheel_texture);
void bike_destroy(Bike* bike);
void bike_destroy_all();
// Catalogue pose, zero velocities and controls, rider mounted, present.
void bike_reset(Bike* bike);
void bike_translate(Bike* bike, float dx, float dy, float dz);
// Sets every body's rotation to the rotation about the axis and rotates the
// positions about the world origin (used after bike_reset).
void bike_rotate(Bike* bike, float axis_x, float axis_y, float axis_z, float angle);
// Rest placement: true while a tyre or a shape of the bike is in the ground.
bool bike_penetrates_ground(const Bike* bike);
// Raise by 0.25 ft until clear of the ground (start placement).
void bike_raise_until_clear(Bike* bike);
// Raise 1/8 ft, then 1/4 ft at a time until clear, then lower 1/8 ft.
void bike_set_down(Bike* bike);
// Every body moving forwards at speed (ft/s), the wheels rolling with it.
void bike_set_speed(Bike* bike, float speed);

// Presence of bikes driven from outside: solid only above 0.25.
bool bike_solid(const Bike* bike);
void bike_set_present(Bike* bike);
void bike_set_absent(Bike* bike);
void bike_touch(Bike* bike);
void bike_fade(Bike* bike);

// The default setup of a new bike.
void set_default_setup(Bike* bike);

// Per-tic work. bike_prestep runs for every solid bike before the world
// step (contacts, roost); bike_tic for every occupied slot after it.
void bike_prestep(Bike* bike);
void bike_tic(Bike* bike);
// Bike contacts, pre-steps, the world step and bike tics for slots
// 0..count-1, in the race's order.
void bikes_world_tic(int count);
// The rider comes off: the mount is released and the crash timer starts.
// Ignored while the rider is down or the collision timer is negative.
void rider_crash(Bike* bike);
bool rider_down(const Bike* bike);

// Tyre and body contact.
int tire_contact(Bike* bike, int wheel, float friction_scale);
int bike_ground_contacts(Bike* bike);
// Shape against shape; returns bike a's touching parts (BikePartBit).
int bike_bike_contacts(Bike* a, Bike* b, bool penalty_mode);
// Bike shapes against a static shape placed at position with a row-major
// 3 x 3 orientation (statues); returns the bike's touching parts.
int bike_static_shape_contacts(Bike* bike, const Shape* shape, const float position[3], const float rotation[9]);
// Statues near the bike, through the track objects once they exist.
int bike_statue_contacts(Bike* bike);
// Bikes not simulated here: both contact records from the fast query.
void wheel_contact_query(Bike* bike);
// Hands the contact records to the rut digger; emits roost particles.
void wheel_ruts(Bike* bike);
void bike_roost(Bike* bike);

// Suspension force laws (also read by the suspension graph).
// Damping force for a rate v (negative while compressing).
float suspension_damping(float v, const SuspensionDamping* d);
// Fork force for slider position p (0 full extension, negative compressed)
// and rate v; positive pushes the fork out.
float fork_force(const Bike* bike, float p, float v);
// Linkage curve at travel x (0..1): shock compression s (ft) and ds/dx.
void linkage_eval(const float linkage[7], float x, float* s, float* ratio);
// Shock torque for swingarm angle a (0 full extension, negative compressed)
// and rate w; positive extends.
float shock_torque(const Bike* bike, float a, float w);

// Queries.
void bike_frame_position(const Bike* bike, float out[3]);
void bike_frame_rotation(const Bike* bike, float out[9]);  // row-major
void bike_frame_velocity(const Bike* bike, float out[3]);
float bike_speed(const Bike* bike);     // frame speed (ft/s)
float bike_heading(const Bike* bike);   // radians; 0 facing -z, as bike_rotate about +y
float lean_angle(const Bike* bike);     // frame roll (rad), 0 upright
const char* bike_model_name(const Bike* bike);
const char* bike_model_class(const Bike* bike);
float bike_fork_position(const Bike* bike);       // 0 extended .. 1 fully compressed
float bike_fork_speed(const Bike* bike);          // slider rate (ft/s)
float bike_fork_damping_blend(const Bike* bike);
float bike_swingarm_position(const Bike* bike);   // 0 extended .. 1 fully compressed
float bike_shock_speed(const Bike* bike);         // ft/s of shock
float bike_shock_damping_blend(const Bike* bike);
float engine_rpm(const Bike* bike);
int bike_gear(const Bike* bike);
const ContactRecord* bike_contact(const Bike* bike, int wheel);

// Engine and drivetrain.
float engine_torque(const Bike* bike);  // ft lbf at the present speed and throttle
// Gear clamped to 0..5 and stepped down to one the model has.
void set_gear(Bike* bike, int gear);
// The player's shift control, -1, 0 or +1: one shift per press; 0 re-arms.
void shift(Bike* bike, int s);

// Control setters (clamped; throttle, sit/dab, back-up and lean store 0
// while the rider is down).
void set_throttle(Bike* bike, float v);
void set_clutch(Bike* bike, float v);
void set_front_brake(Bike* bike, float v);
void set_rear_brake(Bike* bike, float v);
void set_steering(Bike* bike, float v);
void set_sit_dab(Bike* bike, float v);
void set_back_up(Bike* bike, float v);
void set_lean(Bike* bike, float v);

// The main loop's riding controls for the watched slot (the loop hook
// bike_controls), and the clutch it lets out gradually (bike_clutch). A slot
// without a bike is ignored; its clutch reads as engaged.
struct RidingInput;
void bike_apply_riding_input(int slot, const RidingInput& in);
double bike_clutch_value(int slot);

// ---------------------------------------------------------------------------
// Setup adjustments: the menu's settings turned into the bike's constants.
// ---------------------------------------------------------------------------

// Bike-record values with a clamping setter each (robots set their own).
enum BikeValue {
  BV_LEVELING, BV_ROLL_DAMPING, BV_ROLL_LIMIT_ANGLE, BV_ROLL_LIMIT_FACTOR, BV_STEERING_DAMPING,
  BV_STEERING_STRENGTH, BV_MAX_STEERING_FORCE, BV_DIRECT_STEERING, BV_SLOW_DAMPING_SPEED, BV_SLOW_DAMPING_FACTOR,
  BV_LANDING_DAMPING_FALLOFF, BV_LANDING_DAMPING_FACTOR, BV_FULL_LOCK_SPEED, BV_RESTRICTED_LOCK_SPEED,
  BV_RESTRICTED_LOCK_ANGLE, BV_AUTO_CLUTCH_RPM, BV_FRONT_BRAKE_TORQUE, BV_REAR_BRAKE_TORQUE, BV_MAX_DAB_SPEED,
  BV_RIDER_VERTICAL_SPRING, BV_RIDER_VERTICAL_DAMPING, BV_RIDER_FORWARD_SPRING, BV_RIDER_FORWARD_DAMPING,
  BV_COUNT,
};
// Stores value clamped to the value's range (radians for angles, ft/s for
// speeds); a value that is not a number is ignored.
void bike_value_set(Bike* bike, int which, double value);
double bike_value(const Bike* bike, int which);
// Flags of the first flags byte, and "Stop Wheelies" as its two-bit code.
void bike_flag_set(Bike* bike, int flag, bool on);
void bike_stop_wheelies_set(Bike* bike, int code);
// Sprocket adjustments (teeth, each -2..2) into the final drive ratio.
void bike_sprockets_set(Bike* bike, double countershaft, double rear);
// Rider mass share of the mass point, 0.33..0.5; sets the masses again.
void bike_mass_distribution_set(Bike* bike, double share);

// Copies the setup settings into the bike. Refused (false) while the bike
// moves faster than 0.125 ft/s; a second refusal within 10 s of the last
// tells the player the mechanic can't keep up.
bool apply_bike_setup(Bike* bike);
// The unit text the suspension and gearing menu shows beside a setup
// setting for the chosen bike ("%.3f kg/mm", "%.2f mm", "%.2f teeth");
// false and "" for other settings or when the bike is not in the catalogue.
struct RealSetting;
bool setup_unit_text(const RealSetting* setting, char* out, int size);
// Set by the network client while the server forbids arcade physics.
extern bool bike_arcade_forbidden;

// Realigning a stopped rider toward the racing direction needs the race's
// gates and racing lines. The race subsystem sets this hook: true with the
// target point (world ft) when the bike may realign now. Unset: never.
extern bool (*bike_realign_target)(Bike* bike, float target[3]);
