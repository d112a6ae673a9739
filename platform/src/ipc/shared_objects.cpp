// The kernel's registry of shared named objects, filled with this module's events and mailslots
// when the layer loads.
#include "ipc/ipc.h"
#include "kernel/shared_objects.h"

namespace wyn::ipc {
namespace {

const wynplat::SharedObjects kShared{CreateSharedEvent, OpenSharedEvent, SharedEventExists,
                                     IsMailslotPath, OpenMailslotClient};
const bool kRegistered = (wynplat::RegisterSharedObjects(&kShared), true);

}  // namespace
}  // namespace wyn::ipc
