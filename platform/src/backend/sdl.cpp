#include "backend/backend.h"
namespace wynplat {
bool SdlAvailable() { return false; }
std::unique_ptr<Display> CreateSdlDisplay() { return nullptr; }
}
