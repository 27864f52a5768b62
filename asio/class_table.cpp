// The module's one creatable class.
#include "asio/build_identity.h"
#include "asio/class_factory.h"
#include "asio/mmp_asio.h"

namespace rkx::asio {

const DriverClassEntry& DriverClass()
{
    static const DriverClassEntry entry = {&Build().classId, CreateDriverObject};
    return entry;
}

}  // namespace rkx::asio
