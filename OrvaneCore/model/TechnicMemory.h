#pragma once

#include <array>
#include <cstdint>

namespace orvane {

// The Technic Launcher stores its Java memory choice as a small id, not as a size.
namespace TechnicMemory {

struct Entry {
    std::int64_t settingsId;
    std::int64_t megabytes;
};

// Ids do not follow the sizes (0 is 1024 MB, 19 and 20 are the half steps below 4 GB); every size occurs once.
inline constexpr std::array<Entry, 29> megabytesBySettingsId{{
    {1, 512},     {2, 768},     {0, 1024},    {3, 1536},    {4, 2048},    {19, 2560},   {5, 3072},
    {20, 3584},   {6, 4096},    {7, 5120},    {8, 6144},    {9, 7168},    {10, 8192},   {11, 9216},
    {12, 10240},  {13, 11264},  {14, 12288},  {15, 13312},  {16, 14336},  {17, 15360},  {18, 16384},
    {21, 17408},  {22, 18432},  {23, 19456},  {24, 20480},  {25, 21504},  {26, 22528},  {27, 23552},
    {28, 24576},
}};

// The launcher's "default" id, answered before the table is consulted.
inline constexpr std::int64_t defaultSettingsId = -1;
// The size reported for the default id and for any id not in the table.
inline constexpr std::int64_t defaultMegabytes = 4096;

// The size an id stands for; never fails.
std::int64_t megabytes(std::int64_t settingsId);

// The id of the largest table size not above `megabytes`, never below the 2048 MB id; never fails.
std::int64_t settingsId(std::int64_t megabytes);

} // namespace TechnicMemory

} // namespace orvane
