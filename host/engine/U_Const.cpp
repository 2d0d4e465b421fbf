#include "host/engine/U_Const.h"

namespace vantrel {

const QualityRow QualityTable[kQualityLevels] = {
    {10, 15, 10, 301, 25}, {12, 17, 12, 301, 25}, {15, 20, 15, 301, 25},
    {21, 26, 21, 301, 25}, {24, 27, 24, 301, 25}, {27, 30, 27, 301, 25},
};

const QualityRow UltraQualityTable[kUltraQualityLevels] = {
    {0, 40, 0, 301, 25},
    {1, 5, 1, 301, 25},
    {4, 9, 4, 301, 25},
    {8, 13, 8, 301, 25},
};

} // namespace vantrel
