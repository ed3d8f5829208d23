#pragma once

namespace quillet {

class GxtFormat;

const GxtFormat &flatFormat();

} // namespace quillet
