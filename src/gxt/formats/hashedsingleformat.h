#pragma once

namespace quillet {

class GxtFormat;

const GxtFormat &hashedSingleFormat();

} // namespace quillet
