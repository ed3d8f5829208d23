#include "registry.h"

#include "flatformat.h"
#include "hashedformat.h"
#include "tabledformat.h"

namespace quillet {

const std::vector<const GxtFormat *> &registeredFormats()
{
    static const std::vector<const GxtFormat *> formats{
        &flatFormat(),
        &tabledFormat(),
        &hashedFormat(),
    };
    return formats;
}

} // namespace quillet
