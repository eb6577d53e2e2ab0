#include "windows/sobre.h"

#include "platform/toolkit/program.h"

#include <string_view>

namespace windows {

using namespace toolkit;
using namespace Qt::StringLiterals;

namespace {

// Labels show a phone number and a mail address after these words.
constexpr std::u16string_view phoneWords = u"Tel: ";
constexpr std::u16string_view mailWords = u"E-Mail: ";

struct Author {
    std::u16string_view name;
    std::u16string_view phone; // as shown: phoneWords and the number
    std::u16string_view mail;  // as shown: mailWords and the address
};

// Who made the program. A distributor puts their own names here: every label and every link of
// the window takes its text from this one table. The phone numbers are not real ones: no area
// code 00 exists.
struct Credits {
    std::u16string_view programSite;
    Author design;
    Author code;
    std::u16string_view codeSite;
};

constexpr Credits credits{
    .programSite = u"https://www.example.org/quelmar",
    .design = {.name = u"Estúdio Lumiar",
               .phone = u"Tel: (00) 5555-0101",
               .mail = u"E-Mail: arte@example.org"},
    .code = {.name = u"Oficina Cendral",
             .phone = u"Tel: (00) 5555-0102",
             .mail = u"E-Mail: dev@example.org"},
    .codeSite = u"https://dev.example.org",
};

static_assert(credits.design.phone.starts_with(phoneWords) &&
              credits.code.phone.starts_with(phoneWords));
static_assert(credits.design.mail.starts_with(mailWords) &&
              credits.code.mail.starts_with(mailWords));

// The address a mail label shows.
constexpr std::u16string_view mailAddress(const Author& author) {
    return author.mail.substr(mailWords.size());
}

constexpr Font arial9{u"Arial", 9};
constexpr Font arial9Bold{u"Arial", 9, true};
constexpr Font linkFont{u"Arial", 9, false, true};
constexpr QRgb linkBlue = qRgb(0, 0, 255);

constexpr Properties plain{.font = arial9, .transparent = true};
constexpr Properties heading{.font = arial9Bold, .transparent = true};
constexpr Properties link{.font = linkFont, .fore = linkBlue, .transparent = true};
constexpr Properties centredLink{
    .font = linkFont, .fore = linkBlue, .alignment = Align::Centre, .transparent = true};

} // namespace

// clang-format off
const FormLayout FrmSobre::layout{
    .name = u"FrmSobre",
    .caption = u"Quelmar de Orivela Win95/98",
    .client = {5370, 2610},
    .placement = StoredAt{3255, 3570},
    .border = Border::FixedSingle,
    .minButton = false,
    .maxButton = false,
    .icon = u"icone_sobre.png",
    .controls = {
        //   name          kind                container left  top   width height tab caption
        {u"Image2",     Kind::Image,         {},       1635, 30,   3570, 330,  -1, {},
            {.picture = u"titulo.gif", .description = u"Quelmar de Orivela"}},
        {u"Image1",     Kind::Image,         {},       45,   45,   1455, 855,  -1, {},
            {.picture = u"imagem_sobre.jpg", .stretch = true, .border = true,
             .description = u"Livro aberto com uma lamparina acesa"}},
        {u"Label3",     Kind::Label,         {},       1650, 375,  3420, 225,  11, u"Versão 3.0 * Versão Digital *",
            {.alignment = Align::Centre}},
        {u"Label2",     Kind::LinkLabel,     {},       1650, 630,  3420, 255,  10, credits.programSite, centredLink},
        {u"Label5(1)",  Kind::Label,         {},       120,  960,  2460, 255,  7,  u"Visual desenvolvido por:", heading},
        {u"Label4",     Kind::Label,         {},       120,  1200, 1815, 255,  6,  credits.design.name, plain},
        {u"Label5(0)",  Kind::Label,         {},       120,  1440, 1740, 255,  5,  credits.design.phone, plain},
        {u"Label6",     Kind::LinkLabel,     {},       120,  1680, 2655, 255,  4,  credits.design.mail, link},
        {u"Label5(2)",  Kind::Label,         {},       3000, 960,  2220, 255,  8,  u"Código escrito por:", heading},
        {u"Label7",     Kind::Label,         {},       3000, 1200, 1815, 255,  3,  credits.code.name, plain},
        {u"Label8",     Kind::Label,         {},       3000, 1440, 1860, 255,  2,  credits.code.phone, plain},
        {u"Label9",     Kind::LinkLabel,     {},       3000, 1665, 2340, 255,  1,  credits.code.mail, link},
        {u"Label1",     Kind::LinkLabel,     {},       3000, 1950, 2340, 255,  9,  credits.codeSite, link},
        {u"Command1",   Kind::CommandButton, {},       1935, 2295, 1455, 285,  0,  u"Fechar"},
    }};
// clang-format on

FrmSobre::FrmSobre()
    : Form(layout), Command1(button(u"Command1")), Label1(label(u"Label1")),
      Label2(label(u"Label2")), Label6(label(u"Label6")), Label9(label(u"Label9")) {
    Command1.onClick([this] { Command1_Click(); });
    Label1.onClick([this] { Label1_Click(); });
    Label2.onClick([this] { Label2_Click(); });
    Label6.onClick([this] { Label6_Click(); });
    Label9.onClick([this] { Label9_Click(); });
}

void FrmSobre::Command1_Click() {
    Unload();
}

void FrmSobre::Label1_Click() {
    open(u"start "_s + text(credits.codeSite), text(credits.codeSite));
}

void FrmSobre::Label2_Click() {
    open(u"start "_s + text(credits.programSite), text(credits.programSite));
}

void FrmSobre::Label6_Click() {
    const QString address = text(mailAddress(credits.design));
    open(u"start mailto:"_s + address, address);
}

void FrmSobre::Label9_Click() {
    const QString address = text(mailAddress(credits.code));
    open(u"start mailto:"_s + address, address);
}

// The launcher may fail long after the click, when this window may be closed: the report holds
// the address, not the window.
void FrmSobre::open(const QString& commandLine, const QString& address) {
    Shell(commandLine, vbMinimizedFocus, [address](const QString& reason) {
        MsgBox(u"Não foi possível abrir %1: %2"_s.arg(address, reason), vbExclamation,
               u"Quelmar de Orivela"_s);
    });
}

} // namespace windows
