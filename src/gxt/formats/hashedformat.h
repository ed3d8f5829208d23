#pragma once

namespace quillet {

class GxtFormat;

const GxtFormat &hashedFormat();

} // namespace quillet
