// The level spots of the quest map, in map pixels (1024 x 768, y down): the road
// the map picture draws and the places of the Map form's spots agree on these.
#pragma once

#include <cstddef>

constexpr size_t kMapSpotCount = 41;
constexpr float kMapSpots[kMapSpotCount][2] = {
    {110, 560}, {177, 580}, {245, 596}, {314, 598}, {378, 571}, {440, 539},
    {509, 533}, {573, 560}, {638, 584}, {708, 583}, {776, 571}, {842, 549},
    {899, 508}, {936, 450}, {897, 399}, {832, 376}, {763, 365}, {695, 377},
    {628, 397}, {559, 404}, {491, 388}, {425, 367}, {355, 361}, {288, 378},
    {220, 395}, {155, 381}, {112, 326}, {114, 261}, {171, 221}, {236, 198},
    {305, 200}, {372, 220}, {440, 235}, {508, 221}, {571, 191}, {637, 170},
    {706, 178}, {773, 198}, {842, 205}, {896, 163}, {935, 105},
};
