#pragma once

namespace quillet {

class GxtFormat;

const GxtFormat &tabledFormat();

} // namespace quillet
