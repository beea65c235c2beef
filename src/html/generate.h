// The generation driver: every page of the parsed model, then the database
// add step and the .doc skeletons when they are asked for.
#pragma once

namespace zivrat {

void generateOutput();

}  // namespace zivrat
