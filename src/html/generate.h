// The generation driver: every page of the parsed model.
#pragma once

namespace zivrat {

void generateOutput();

}  // namespace zivrat
