#include "windows/localizar.h"

#include "data/search.h"
#include "platform/core/conversions.h"
#include "platform/toolkit/program.h"
#include "windows/principal.h"

namespace windows {

using namespace core;
using namespace toolkit;
using namespace Qt::StringLiterals;

// clang-format off
const FormLayout FrmLocalizar::layout{
    .name = u"FrmLocalizar",
    .caption = u"Localizar",
    .client = {4710, 2025},
    .placement = StoredAt{4380, 3615},
    .border = Border::Sizable,
    .minButton = true,
    .maxButton = true,
    .icon = u"icone_localizar.png",
    .controls = {
        //   name               kind                container   left  top   width height tab caption
        {u"FrmeLoc",         Kind::Frame,         {},         105,  435,  2910, 645,  0,  u"Palavra Chave"},
        {u"Label1(0)",       Kind::Label,         u"FrmeLoc", 180,  270,  705,  225,  1,  u"Localizar:"},
        {u"Text1",           Kind::TextBox,       u"FrmeLoc", 975,  232,  1815, 300,  2,  {},
            {.description = u"Palavra chave a localizar"}},
        {u"cmdLoc",          Kind::CommandButton, {},         3240, 540,  1410, 285,  3,  u"Localizar",
            {.picture = u"icone_localizar.png"}},
        {u"Frame1",          Kind::Frame,         {},         105,  1275, 2910, 660,  4,  u"Número"},
        {u"Label1(1)",       Kind::Label,         u"Frame1",  165,  270,  705,  225,  5,  u"Localizar:"},
        {u"Text2",           Kind::TextBox,       u"Frame1",  960,  240,  1815, 285,  6,  {},
            {.description = u"Número da mensagem a localizar"}},
        {u"FrmLocCancel",    Kind::CommandButton, {},         3240, 1665, 1410, 285,  7,  u"Cancelar"},
        {u"imgLoc",          Kind::Image,         {},         3690, 1005, 480,  480,  -1, {},
            {.picture = u"imagem_localizar.png", .description = u"Binóculo"}},
        {u"ImgLocQuelmar",   Kind::Image,         {},         510,  30,   3570, 330,  -1, {},
            {.picture = u"titulo.gif", .stretch = true, .description = u"Quelmar de Orivela"}},
    }};
// clang-format on

FrmLocalizar::FrmLocalizar()
    : Form(layout), Text1(textBox(u"Text1")), Text2(textBox(u"Text2")), cmdLoc(button(u"cmdLoc")),
      FrmLocCancel(button(u"FrmLocCancel")) {
    cmdLoc.onClick([this] { cmdLoc_Click(); });
    FrmLocCancel.onClick([this] { FrmLocCancel_Click(); });
}

// A keyword, when there is one, decides alone; the number box is read only without it. After a
// miss the window stays open with what was typed, for the user to change it.
void FrmLocalizar::cmdLoc_Click() {
    const std::optional<QString> criterion = criterionFromBoxes();
    if (!criterion)
        return;
    if (Load<frmPrincipal>().Localizar(*criterion, SearchFrom::FirstMessage))
        Unload();
}

std::optional<QString> FrmLocalizar::criterionFromBoxes() {
    const QString keyword = Trim(Text1.Text());
    if (!keyword.isEmpty())
        return data::keywordCriterion(keyword);
    const QString number = Text2.Text();
    if (Trim(number).isEmpty())
        return std::nullopt;
    if (!IsNumeric(number)) {
        MsgBox(u"O valor digitado não é numérico"_s, vbExclamation, u"Valor inválido"_s);
        return std::nullopt;
    }
    return data::typedNumberCriterion(number);
}

void FrmLocalizar::FrmLocCancel_Click() {
    Unload();
}

} // namespace windows
