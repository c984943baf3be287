// The main window's look as data: its fonts with the faces that stand in for them, and its 26
// controls in stacking order, front (row 1) to back (row 26), in twips, with their colours, fonts
// and pictures. The window derives everything it draws from this file; nothing else knows
// positions, colours, fonts or pictures.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "ui/resource_ids.h"

namespace zelvane {

enum class Kind { CommandButton, FileList, Label, Image, Rectangle, Oval, Circle, RoundedRectangle };
enum class Align { Left, Centre, Right };

struct Colour {
    std::uint8_t red, green, blue;
    friend constexpr bool operator==(Colour, Colour) = default;
};

inline constexpr Colour kBlack{0, 0, 0};
inline constexpr Colour kWhite{255, 255, 255};
inline constexpr Colour kSilver{192, 192, 192};
inline constexpr Colour kPaleBlue{192, 192, 255};
inline constexpr Colour kPeriwinkle{128, 128, 255};
inline constexpr Colour kOliveYellow{192, 192, 0};
inline constexpr Colour kLightOrange{255, 192, 128};

struct FontStyle {
    std::wstring_view face;
    // Tried in turn where the face is not installed, or is a bitmap face away from 96 DPI, where it
    // would be blocky: "MyriadRoman" is no system font, and Windows' "MS Sans Serif" is a bitmap one.
    std::array<std::wstring_view, 3> standIns;
    int hundredthsOfPoint;
    bool bold;
    bool italic;
};

inline constexpr std::array<std::wstring_view, 3> kSansSerifStandIns{L"Microsoft Sans Serif", L"Tahoma", L"Arial"};

// Every font the window draws with; controls point into this table.
inline constexpr std::array<FontStyle, 4> kFonts{{
    {L"MS Sans Serif", kSansSerifStandIns, 825, false, false},
    {L"MS Sans Serif", kSansSerifStandIns, 2400, false, false},
    {L"Tahoma", kSansSerifStandIns, 2175, false, false},
    {L"MyriadRoman", {L"Myriad Pro", L"Segoe UI", L"Tahoma"}, 2175, true, true},
}};
inline constexpr const FontStyle* kSansSerif8 = &kFonts[0];
inline constexpr const FontStyle* kSansSerif24 = &kFonts[1];
inline constexpr const FontStyle* kTahoma22 = &kFonts[2];
inline constexpr const FontStyle* kMyriad22 = &kFonts[3];

struct Box {
    int left, top, width, height;  // twips
};

// Names of the controls the code drives.
enum class Role { Decoration, Command1, Command2, Command3, File1, Image1, Label1 };

struct ControlDescription {
    std::wstring_view name;
    Kind kind;
    Box box;
    Colour colour;      // fill of a shape, text of a label or list
    bool opaqueBack;    // labels: fill the box with backColour first
    Colour backColour;  // labels and the list
    const FontStyle* font;
    std::wstring_view caption;
    Align align;
    int tabIndex;  // -1 for controls without one
    bool visibleAtStart;
    Role role;
    int picture;  // images: the resource id of the picture it shows at start; 0 for none
};

inline constexpr int kClientWidthTwips = 8475;
inline constexpr int kClientHeightTwips = 6075;
inline constexpr int kControlCount = 26;

// The copyright line on the bottom bar; the About box starts with the same line.
inline constexpr std::wstring_view kCopyrightLine = L"Copyright \u00A9 2003 Quillmere. All rights reserved.";

// clang-format off
inline constexpr std::array<ControlDescription, kControlCount> kLayout{{
    // name        kind                     left  top   width height   colour         opaque  back           font           caption                             align           tab  visible role               picture
    {L"Command3",  Kind::CommandButton,     {6840, 5400, 1335,  375},  kBlack,        false,  kBlack,        kSansSerif8,   L"&About",                          Align::Centre,  9,   true,   Role::Command3,    0},
    {L"Command2",  Kind::CommandButton,     {6840, 4920, 1335,  375},  kBlack,        false,  kBlack,        kSansSerif8,   L"&New Map",                        Align::Centre,  7,   true,   Role::Command2,    0},
    {L"Command1",  Kind::CommandButton,     {4800, 4920, 1815,  375},  kBlack,        false,  kLightOrange,  kSansSerif8,   L"&Edit Map",                       Align::Centre,  2,   true,   Role::Command1,    0},
    {L"File1",     Kind::FileList,          {4800, 1320, 3375, 3405},  kSilver,       true,   kBlack,        kSansSerif8,   L"",                                Align::Left,    0,   true,   Role::File1,       0},
    {L"Label3",    Kind::Label,             {7080, 1080, 1215,  255},  kWhite,        false,  kBlack,        kSansSerif8,   L"Available Maps",                  Align::Left,    4,   true,   Role::Decoration,  0},
    {L"Label2",    Kind::Label,             {3120, 2640, 1095,  255},  kWhite,        false,  kBlack,        kSansSerif8,   L"Map Preview",                     Align::Left,    3,   true,   Role::Decoration,  0},
    {L"Shape12",   Kind::Rectangle,         { 840, 2760,  195,  135},  kOliveYellow,  false,  kBlack,        nullptr,       L"",                                Align::Left,    -1,  true,   Role::Decoration,  0},
    {L"Shape13",   Kind::Rectangle,         {4065, 2625,  285, 2970},  kOliveYellow,  false,  kBlack,        nullptr,       L"",                                Align::Left,    -1,  true,   Role::Decoration,  0},
    {L"Shape11",   Kind::Rectangle,         {8160,  840,  255, 3135},  kPeriwinkle,   false,  kBlack,        nullptr,       L"",                                Align::Left,    -1,  true,   Role::Decoration,  0},
    {L"Shape10",   Kind::Rectangle,         {4455, 1200, 3945,  735},  kPeriwinkle,   false,  kBlack,        nullptr,       L"",                                Align::Left,    -1,  true,   Role::Decoration,  0},
    {L"Shape9",    Kind::RoundedRectangle,  {4455,  840, 3960,  495},  kPeriwinkle,   false,  kBlack,        nullptr,       L"",                                Align::Left,    -1,  true,   Role::Decoration,  0},
    {L"Label7",    Kind::Label,             {4425,   45, 3975,  495},  kWhite,        false,  kBlack,        kTahoma22,     L"LCARS Terminal",                  Align::Right,   10,  true,   Role::Decoration,  0},
    {L"Label5",    Kind::Label,             {2400, 2040, 1815,  255},  kSilver,       false,  kBlack,        kSansSerif8,   L"map editor launcher",             Align::Centre,  6,   true,   Role::Decoration,  0},
    {L"Label4",    Kind::Label,             {1995, 1200, 2415, 1335},  kPaleBlue,     false,  kBlack,        kMyriad22,     L"StarTrek Armada 2",               Align::Centre,  5,   true,   Role::Decoration,  0},
    {L"Shape1",    Kind::Rectangle,         { 120,  360,  495, 5670},  kPeriwinkle,   false,  kBlack,        nullptr,       L"",                                Align::Left,    -1,  true,   Role::Decoration,  0},
    {L"Shape2",    Kind::Rectangle,         { 360,  120, 8055,  375},  kPeriwinkle,   false,  kBlack,        nullptr,       L"",                                Align::Left,    -1,  true,   Role::Decoration,  0},
    {L"Image2",    Kind::Image,             { 705,  405, 2400, 1800},  kBlack,        false,  kBlack,        nullptr,       L"",                                Align::Left,    -1,  true,   Role::Decoration,  IDB_SPACESHIP},
    {L"Label1",    Kind::Label,             { 840, 3420, 3240, 1575},  kWhite,        true,   kBlack,        kSansSerif24,  L"No Image Information Available",  Align::Centre,  1,   false,  Role::Label1,      0},
    {L"Image1",    Kind::Image,             {1320, 3000, 2400, 2400},  kBlack,        false,  kBlack,        nullptr,       L"",                                Align::Left,    -1,  true,   Role::Image1,      IDB_SAMPLE_MAP},
    {L"Label6",    Kind::Label,             { 600, 5760, 7575,  255},  kBlack,        false,  kBlack,        kSansSerif8,   kCopyrightLine,                     Align::Centre,  8,   true,   Role::Decoration,  0},
    {L"Shape7",    Kind::Rectangle,         { 120, 5670, 8295,  375},  kPeriwinkle,   false,  kBlack,        nullptr,       L"",                                Align::Left,    -1,  true,   Role::Decoration,  0},
    {L"Shape6",    Kind::Rectangle,         {4455, 1830, 3960, 4200},  kPeriwinkle,   false,  kBlack,        nullptr,       L"",                                Align::Left,    -1,  true,   Role::Decoration,  0},
    {L"Shape5",    Kind::Oval,              { 120,  120,  495,  495},  kPeriwinkle,   false,  kBlack,        nullptr,       L"",                                Align::Left,    -1,  true,   Role::Decoration,  0},
    {L"Shape3",    Kind::Circle,            { 600,  450,  450,  495},  kBlack,        false,  kBlack,        nullptr,       L"",                                Align::Left,    -1,  true,   Role::Decoration,  0},
    {L"Shape4",    Kind::Rectangle,         { 480,  360,  375,  375},  kPeriwinkle,   false,  kBlack,        nullptr,       L"",                                Align::Left,    -1,  true,   Role::Decoration,  0},
    {L"Shape8",    Kind::RoundedRectangle,  { 840, 2385, 3510,  510},  kOliveYellow,  false,  kBlack,        nullptr,       L"",                                Align::Left,    -1,  true,   Role::Decoration,  0},
}};
// clang-format on

// Twips to device pixels at a DPI, rounded to nearest (15 twips to the pixel at 96 DPI).
constexpr int TwipsToPixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>((scaled + (scaled >= 0 ? 720 : -720)) / 1440);
}

// Font height in pixels for CreateFont (negative: character height) at a DPI.
constexpr int FontHeightPixels(int hundredthsOfPoint, int dpi) {
    const long long scaled = static_cast<long long>(hundredthsOfPoint) * dpi;
    return -static_cast<int>((scaled + 3600) / 7200);
}

}  // namespace zelvane
