#include "windows/opcoes.h"

#include "data/options.h"
#include "data/options_location.h"
#include "platform/core/conversions.h"
#include "platform/core/runtime_error.h"
#include "platform/toolkit/program.h"
#include "windows/module1.h"
#include "windows/principal.h"

namespace windows {

using namespace core;
using namespace toolkit;
using namespace Qt::StringLiterals;

// clang-format off
const FormLayout FrmOpçoes::layout{
    .name = u"FrmOpçoes",
    .caption = u"Opções",
    .client = {4695, 3195},
    .placement = StoredAt{4005, 3030},
    .border = Border::FixedSingle,
    .minButton = false,
    .maxButton = false,
    .icon = u"icone_opcoes.png",
    .controls = {
        //   name            kind                container  left  top   width height tab caption
        {u"Frame1",       Kind::Frame,         {},        120,  480,  4425, 660,  0,  u"Iniciar com mensagens..."},
        {u"Option1",      Kind::OptionButton,  u"Frame1", 315,  255,  1905, 300,  1,  u"Quelmar de Orivela",
            {.value = true}},
        {u"Option2",      Kind::OptionButton,  u"Frame1", 2835, 255,  1290, 300,  2,  u"Tarvenas de Cendra"},
        {u"Frame2",       Kind::Frame,         {},        135,  1650, 4425, 945,  3,  u"Temporizador"},
        {u"Check1",       Kind::CheckBox,      u"Frame2", 615,  240,  2985, 285,  4,  u"Temporizador de Mensagens",
            {.value = true}},
        {u"Label1",       Kind::Label,         u"Frame2", 615,  540,  2010, 270,  5,  u"Alternar mensagens a cada"},
        {u"Label2",       Kind::Label,         u"Frame2", 3540, 540,  780,  270,  6,  u"segundos."},
        {u"Text1",        Kind::TextBox,       u"Frame2", 2640, 510,  615,  300,  9,  u"15",
            {.locked = true, .description = u"Segundos entre as mensagens"}},
        {u"UpDown1",      Kind::UpDown,        u"Frame2", 3240, 480,  210,  375,  10, {},
            {.min = 1, .max = 99, .initial = 1, .description = u"Segundos"}},
        {u"Image1",       Kind::Image,         u"Frame2", 75,   270,  480,  480,  -1, {},
            {.picture = u"imagem_relogio.png", .description = u"Relógio"}},
        {u"Image2",       Kind::Image,         {},        2070, 1170, 480,  480,  -1, {},
            {.picture = u"imagem_colecoes.png", .description = u"Coleções"}},
        {u"ImgOpçoes",    Kind::Image,         {},        510,  60,   3570, 330,  -1, {},
            {.picture = u"titulo.gif", .stretch = true, .description = u"Quelmar de Orivela"}},
        {u"cmdOKop",      Kind::CommandButton, {},        810,  2790, 1185, 330,  7,  u"Ok"},
        {u"cmdOpCancela", Kind::CommandButton, {},        2475, 2790, 1275, 330,  8,  u"Cancela"},
    }};
// clang-format on

FrmOpçoes::FrmOpçoes()
    : Form(layout), Option1(option(u"Option1")), Option2(option(u"Option2")),
      Check1(checkBox(u"Check1")), Text1(textBox(u"Text1")), UpDown1(upDown(u"UpDown1")),
      cmdOKop(button(u"cmdOKop")), cmdOpCancela(button(u"cmdOpCancela")) {
    UpDown1.onChange([this] { UpDown1_Change(); });
    cmdOKop.onClick([this] { cmdOKop_Click(); });
    cmdOpCancela.onClick([this] { cmdOpCancela_Click(); });
}

// The spin control cannot show a stored period outside its range; it then stands at the
// nearest end without a change, and the text keeps the stored value until the user moves it.
void FrmOpçoes::Form_Load() {
    db::Recordset& rsOpcoes = *module1().rsOpcoes;
    if (data::startsWithFirstCollection(rsOpcoes))
        Option1.setValue(true);
    else
        Option2.setValue(true);
    Check1.setValue(data::timerOn(rsOpcoes) ? 1 : 0);
    Text1.setText(data::secondsText(rsOpcoes));
    UpDown1.setValue(data::wholeSeconds(rsOpcoes));
}

void FrmOpçoes::UpDown1_Change() {
    Text1.setText(plainForm(std::int64_t{UpDown1.Value()}));
}

void FrmOpçoes::cmdOKop_Click() {
    Timer& timer = Load<frmPrincipal>().timer(u"tmpTimer");
    const TimerSetting before{timer.Interval(), timer.Enabled()};
    try {
        storeAndApply(timer);
    } catch (const core::RuntimeError& error) {
        // Nothing was stored; the timer goes back to what the stored options still say, and
        // the window stays open with the user's choices so that "Ok" can be tried again.
        module1().rsOpcoes->CancelUpdate();
        timer.setInterval(before.interval);
        timer.setEnabled(before.enabled);
        reportFailedWrite(error.description());
        return;
    }
    Unload();
}

// One edit from start to commit; the timer takes the new period and state on the way.
void FrmOpçoes::storeAndApply(Timer& timer) {
    const QString seconds = Text1.Text();
    const bool timerOn = Check1.Value() == 1;
    db::Recordset& rsOpcoes = *module1().rsOpcoes;
    rsOpcoes.Edit();
    rsOpcoes.Fields(u"IniCom").setValue(Option1.Value() ? 1 : 2);
    rsOpcoes.Fields(u"SegTem").setValue(Val(seconds));
    timer.setInterval(data::periodFromSecondsText(seconds));
    rsOpcoes.Fields(u"ComTem").setValue(timerOn);
    timer.setEnabled(timerOn);
    rsOpcoes.Update();
}

void FrmOpçoes::reportFailedWrite(const QString& reason) {
    MsgBox(u"As opções não foram gravadas no arquivo \"%1\".\n\n%2"_s.arg(
               data::locateOptions(AppPath()).writeTo, reason),
           vbExclamation, u"Opções"_s);
}

void FrmOpçoes::cmdOpCancela_Click() {
    Unload();
}

} // namespace windows
