// Where the renderer hooks in: the GPU side of a model (display lists or
// vertex arrays) is built when a model is loaded and released when it is
// deleted. Models are usable without it (tests, tools, the editor export).
#include "gfx/gfx.h"

void model_prepare_gpu(Model* model) { (void)model; }

void model_release_gpu(Model* model) { (void)model; }
