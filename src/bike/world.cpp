// The one physics world all bikes share, its contact group and step, and the
// spring-and-damper form of soft constraints.
#include <cstdarg>
#include <cstdio>

#include "bike/bike_local.h"
#include "platform/platform.h"

PhysicsWorld physics;

static bool g_ode_ready;

// The solver's messages (such as an LCP that did not converge) go to the log
// instead of the terminal.
static void ode_log(int num, const char* msg, va_list ap) {
  char text[512];
  std::vsnprintf(text, sizeof text, msg, ap);
  log_printf("ODE %d: %s\n", num, text);
}

bool physics_world_create() {
  if (physics.world) return true;
  if (!g_ode_ready) {
    dInitODE2(0);
    dAllocateODEDataForThread(dAllocateMaskAll);
    dSetMessageHandler(ode_log);
    g_ode_ready = true;
  }
  // Library defaults (ERP 0.2, CFM 1e-10) are kept: every soft constraint
  // brings its own.
  physics.world = dWorldCreate();
  if (!physics.world) return false;
  dWorldSetGravity(physics.world, 0, -WORLD_GRAVITY, 0);
  physics.contact_group = dJointGroupCreate(0);
  physics.tic = 0;
  return physics.contact_group != nullptr;
}

void physics_world_destroy() {
  if (!physics.world) return;
  bike_destroy_all();
  dJointGroupDestroy(physics.contact_group);
  dWorldDestroy(physics.world);
  physics.contact_group = nullptr;
  physics.world = nullptr;
}

void physics_world_step() {
  dWorldStep(physics.world, TIC_SECONDS);
  dJointGroupEmpty(physics.contact_group);
}

void soft_constraint(double k, double c, double* erp, double* cfm) {
  double hk = TIC_SECONDS * k;
  *cfm = 1.0 / (hk + c);
  *erp = hk * *cfm;
}

void crash_delay_set(int index, int tics) {
  if (index < 0 || index >= CRASH_DELAY_ENTRIES) return;
  physics.crash_delay[index] = tics < 0 ? 0 : (tics > CRASH_DELAY_MAX ? CRASH_DELAY_MAX : tics);
}

void contact_joint_add(dBodyID body1, dBodyID body2, int mode, double mu, double k, double c, const double pos[3],
                       const double normal[3], double depth, const double* fdir1, dJointFeedback* feedback) {
  dContact contact{};
  contact.surface.mode = mode | dContactSoftERP | dContactSoftCFM;
  contact.surface.mu = mu;
  soft_constraint(k, c, &contact.surface.soft_erp, &contact.surface.soft_cfm);
  for (int i = 0; i < 3; i++) {
    contact.geom.pos[i] = pos[i];
    contact.geom.normal[i] = normal[i];
    if (fdir1) contact.fdir1[i] = fdir1[i];
  }
  contact.geom.depth = depth;
  dJointID j = dJointCreateContact(physics.world, physics.contact_group, &contact);
  dJointAttach(j, body1, body2);
  if (feedback) dJointSetFeedback(j, feedback);
}
