// The texts of the job information group, from the "JobInfo" values of the
// exchange file. Texts are UTF-8, as they go to the window's controls.
#pragma once

#include <string>

namespace monitor {

// "%dx%d dpi" of (xResolution + 1) * 600 and yResolution.
std::string resolutionText(int xResolution, int yResolution);
// 0 "自动", 1 "纸仓", 2 "手动进纸", otherwise empty.
std::string paperSourceText(int source);
// 0 "普通纸", 1 "Thick-Wide", 2 "Thick-Narrow", otherwise empty.
std::string paperTypeText(int type);
// The names of sizes 0 to 21, "自定义纸张尺寸" for any other number.
std::string paperSizeText(int size);

}  // namespace monitor
