// The scenario of the run: the image of the file and its header.
#include "frame/frame_internal.h"

namespace {
ScenarioImage* g_image = nullptr;
ScenarioHeader g_header = {};
}  // namespace

ScenarioImage* GetScenarioImage() { return g_image; }
void SetScenarioImage(ScenarioImage* image) { g_image = image; }
ScenarioHeader& GetScenarioHeader() { return g_header; }
