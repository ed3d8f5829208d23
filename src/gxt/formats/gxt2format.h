#pragma once

namespace quillet {

class GxtFormat;

const GxtFormat &gxt2Format();
const GxtFormat &gxt2BigEndianFormat();

} // namespace quillet
