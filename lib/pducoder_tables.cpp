#include "pducoder_tables.h"

#include <span>

namespace nimbra {
namespace {

// Entries first..last of a table receive value.
struct Assign {
    int first;
    int last;
    int value;
};

// Codes 6, 7, 8 and 127 read as ú, í, ó and á, and every Greek capital reads as ¶: the host
// code page has no Greek letters, and these are the readings the system has always shown.
constexpr Assign kGsmToAnsi[] = {
    {0, 0, 64},      {1, 1, 163},     {2, 2, 36},      {3, 3, 165},    {4, 4, 232},
    {5, 5, 233},     {6, 6, 250},     {7, 7, 237},     {8, 8, 243},    {9, 9, 199},
    {11, 11, 216},   {12, 12, 248},   {14, 14, 197},   {15, 15, 229},  {16, 16, 182},
    {17, 17, 95},    {18, 26, 182},   {28, 28, 198},   {29, 29, 230},  {30, 30, 223},
    {31, 31, 201},   {36, 36, 164},   {64, 64, 161},   {91, 91, 196},  {92, 92, 214},
    {93, 93, 209},   {94, 94, 220},   {95, 95, 167},   {96, 96, 191},  {123, 123, 228},
    {124, 124, 246}, {125, 125, 241}, {126, 126, 252}, {127, 127, 225}};

constexpr Assign kEscToAnsi[] = {{10, 10, 12},  {20, 20, 94},   {40, 40, 123}, {41, 41, 125},
                                 {47, 47, 92},  {60, 60, 91},   {61, 61, 126}, {62, 62, 93},
                                 {64, 64, 124}, {101, 101, 164}};

// 128-175 follow the letters of the DOS code page 437, 176-255 the host's accented letters
// folded to the nearest GSM letter.
constexpr Assign kAnsiToGsm[] = {
    {36, 36, 2},     {64, 64, 0},     {95, 95, 17},    {128, 128, 9},   {129, 129, 126},
    {130, 130, 5},   {131, 132, 123}, {133, 133, 127}, {134, 134, 15},  {135, 135, 9},
    {136, 137, 5},   {138, 138, 4},   {139, 141, 7},   {142, 142, 91},  {143, 143, 14},
    {144, 144, 69},  {145, 145, 29},  {146, 146, 28},  {147, 148, 124}, {149, 149, 8},
    {150, 150, 126}, {151, 151, 6},   {152, 152, 17},  {153, 153, 92},  {154, 154, 94},
    {155, 155, 127}, {156, 156, 1},   {157, 157, 3},   {158, 158, 17},  {159, 159, 96},
    {160, 160, 127}, {161, 161, 7},   {162, 162, 8},   {163, 163, 6},   {164, 164, 125},
    {165, 165, 93},  {166, 166, 34},  {167, 167, 36},  {168, 168, 96},  {169, 170, 17},
    {171, 172, 32},  {173, 173, 64},  {174, 174, 60},  {175, 175, 62},  {176, 191, 32},
    {192, 196, 65},  {197, 197, 14},  {198, 198, 28},  {199, 199, 9},   {200, 203, 31},
    {204, 207, 73},  {208, 208, 68},  {209, 209, 93},  {210, 211, 79},  {212, 212, 92},
    {213, 213, 79},  {214, 214, 92},  {215, 215, 32},  {216, 216, 48},  {217, 219, 85},
    {220, 220, 94},  {221, 221, 89},  {222, 222, 22},  {223, 223, 30},  {224, 226, 127},
    {227, 228, 123}, {229, 229, 15},  {230, 230, 29},  {231, 231, 99},  {232, 232, 4},
    {233, 235, 5},   {236, 239, 7},   {240, 240, 124}, {241, 241, 125}, {242, 243, 8},
    {244, 246, 124}, {247, 247, 47},  {248, 248, 48},  {249, 251, 6},   {252, 252, 126},
    {253, 253, 121}, {254, 254, 80},  {255, 255, 121}};

constexpr PduTable Identity() {
    PduTable table{};
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<std::uint16_t>(i);
    return table;
}

constexpr PduTable Build(std::span<const Assign> assignments) {
    PduTable table = Identity();
    for (const Assign& a : assignments) {
        for (int i = a.first; i <= a.last; ++i)
            table[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(a.value);
    }
    return table;
}

constexpr PduTable Reverse(std::span<const Assign> assignments) {
    PduTable table = Identity();
    for (const Assign& a : assignments)
        table[static_cast<std::size_t>(a.value)] = static_cast<std::uint16_t>(a.first);
    return table;
}

constexpr PduTables kTables{Build(kGsmToAnsi), Build(kEscToAnsi), Reverse(kEscToAnsi),
                            Build(kAnsiToGsm)};

}  // namespace

const PduTables& PduConversionTables() {
    return kTables;
}

}  // namespace nimbra
