#include "registry.h"

#include "flatformat.h"
#include "gxt2format.h"
#include "hashedformat.h"
#include "hashedsingleformat.h"
#include "tabledformat.h"

namespace quillet {

const std::vector<const GxtFormat *> &registeredFormats()
{
    static const std::vector<const GxtFormat *> formats{
        &flatFormat(),
        &tabledFormat(),
        &hashedFormat(),
        &hashedSingleFormat(),
        &gxt2Format(),
        &gxt2BigEndianFormat(),
    };
    return formats;
}

} // namespace quillet
