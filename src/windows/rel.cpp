#include "windows/rel.h"

namespace windows {

using namespace toolkit;

namespace {

// Paper is white whatever the desktop's colours, so the ink is black whatever they are too.
constexpr QRgb white = qRgb(255, 255, 255);
constexpr QRgb black = qRgb(0, 0, 0);

} // namespace

// clang-format off
const FormLayout FrmRel::layout{
    .name = u"FrmRel",
    .caption = u"Quelmar de Orivela",
    .client = {10800, 6960},
    .border = Border::None,
    .minButton = false,
    .maxButton = false,
    .back = white,
    .controls = {
        //   name        kind         container left  top  width height tab caption
        {u"Label1",   Kind::Label, {},       2520, 240, 6135, 615,  0,  u"Quelmar de Orivela",
            {.font = Font{u"Arial", 18, false, true}, .fore = black, .alignment = Align::Centre,
             .transparent = true}},
        {u"LblText",  Kind::Label, {},       1200, 960, 8775, 5895, 1,  {},
            {.font = Font{u"Arial", 14.25}, .fore = black, .transparent = true,
             .description = u"Mensagem"}},
    }};
// clang-format on

FrmRel::FrmRel() : Form(layout), LblText(label(u"LblText")) {}

} // namespace windows
