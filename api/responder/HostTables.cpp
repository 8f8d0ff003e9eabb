#include "responder/HostTables.h"

namespace capi {

HostTables& HostTables::Instance() {
    static HostTables tables;
    return tables;
}

}  // namespace capi
