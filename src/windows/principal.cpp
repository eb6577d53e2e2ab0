#include "windows/principal.h"

#include "data/collection_loader.h"
#include "data/collections.h"
#include "data/options.h"
#include "platform/card/card_picture.h"
#include "platform/core/conversions.h"
#include "platform/toolkit/program.h"
#include "platform/toolkit/window_keys.h"
#include "windows/localizar.h"
#include "windows/module1.h"
#include "windows/opcoes.h"
#include "windows/rel.h"
#include "windows/sobre.h"

#include <QMetaObject>

namespace windows {

using namespace core;
using namespace toolkit;
using namespace Qt::StringLiterals;

namespace {

constexpr Font arial8{u"Arial", 8.25};
constexpr Font sansBold8{u"MS Sans Serif", 8.25, true};
constexpr Font sansBold10{u"MS Sans Serif", 9.75, true};

// The line saying where a message comes from.
QString sourceLine(const data::CollectionSource& source, std::int16_t number) {
    return u"— "_s + QString::fromUtf16(source.title) + u", nº "_s + QString::number(number);
}

// The message exactly as stored, then a line saying where it comes from.
QString withSource(const QString& text, const data::CollectionSource& source, std::int16_t number) {
    QString copied = text;
    if (!copied.isEmpty() && !copied.endsWith(u'\n'))
        copied += u'\n';
    return copied + sourceLine(source, number);
}

// What readCollectionsAhead hands over, held by the running program until Form_Load takes it.
struct CollectionsReadAhead {
    std::unique_ptr<data::CollectionLoader> collections;
};

// The collections read ahead for this directory, or a reading started now.
std::unique_ptr<data::CollectionLoader> collectionsOf(const QString& directory) {
    std::unique_ptr<data::CollectionLoader> ahead =
        std::move(Program::instance().global<CollectionsReadAhead>().collections);
    if (ahead && ahead->programDirectory() == directory)
        return ahead;
    return std::make_unique<data::CollectionLoader>(directory);
}

} // namespace

// clang-format off
const FormLayout frmPrincipal::layout{
    .name = u"frmPrincipal",
    .caption = u"Quelmar de Orivela v3.0 * Versão Digital *",
    .client = {7155, 4380},
    .placement = Centred{},
    .border = Border::FixedSingle,
    .minButton = true,
    .maxButton = false,
    .icon = u"icone_principal.png",
    .controls = {
        //   name              kind                container          left  top   width height tab caption
        {u"Command1",       Kind::CommandButton, {},                 1740, 3390, 1590, 330,  15, u"Lo&calizar próxima",
            {.tooltip = u"Localiza a próxima mensagem baseada no critério especificado na janela Localizar.",
             .font = arial8, .back = SystemColour::ScrollBars, .picture = u"botao.png"}},
        {u"hscrollBrowser", Kind::HScrollBar,    {},                 315,  3885, 6480, 210,  9,  {},
            {.min = 1, .max = 288, .initial = 1, .description = u"Número da mensagem a mostrar"}},
        {u"cmdOpcoes",      Kind::CommandButton, {},                 345,  2085, 1140, 320,  7,  u"&Opções",
            {.tooltip = u"Configurações"}},
        {u"cmdImprimir",    Kind::CommandButton, {},                 345,  1575, 1140, 320,  6,  u"&Imprimir",
            {.tooltip = u"Imprime uma mensagem"}},
        {u"cmdLocalizar",   Kind::CommandButton, {},                 345,  1080, 1140, 320,  5,  u"&Localizar",
            {.tooltip = u"Localize mensagens"}},
        {u"cmdSobre",       Kind::CommandButton, {},                 345,  2595, 1140, 320,  4,  u"&Sobre",
            {.tooltip = u"Sobre os autores"}},
        {u"cmdFechar",      Kind::CommandButton, {},                 345,  3120, 1140, 320,  2,  u"&Fechar",
            {.tooltip = u"Fecha o programa"}},
        {u"cmdProxima",     Kind::CommandButton, {},                 5175, 3390, 1725, 330,  0,  u"&Próxima mensagem",
            {.tooltip = u"Nova mensagem aleatória", .font = arial8, .back = SystemColour::ScrollBars,
             .picture = u"botao.png"}},
        {u"TxtTexto",       Kind::TextBox,       {},                 1890, 615,  4890, 2625, 1,  {},
            {.font = sansBold8, .multiLine = true, .locked = true, .tabStop = false, .flat = true,
             .description = u"Mensagem"}},
        {u"PicBoxWin",      Kind::PictureBox,    {},                 120,  45,   6915, 4215, 3,  {},
            {.description = u"Painel"}},
        {u"TxtNuMensagem",  Kind::TextBox,       u"PicBoxWin",       4245, 3330, 705,  300,  16, u"1",
            {.tooltip = u"Número das mensagens", .font = sansBold10, .back = qRgb(0, 0, 255),
             .fore = SystemColour::TooltipBackground, .locked = true, .alignment = Align::Right,
             .description = u"Número da mensagem"}},
        {u"tmpTimer",       Kind::Timer,         u"PicBoxWin",       6315, 15,   0,    0,    -1, {},
            {.interval = 15000}},
        {u"frmQuelTarv(0)", Kind::Frame,         u"PicBoxWin",       45,   105,  1395, 675,  12, {},
            {.description = u"Coleção de mensagens"}},
        {u"OptTarvenas",    Kind::OptionButton,  u"frmQuelTarv(0)",  75,   375,  1260, 270,  14, u"Tarvenas de Cendra"},
        {u"OptQuelmar",     Kind::OptionButton,  u"frmQuelTarv(0)",  75,   135,  1200, 240,  13, u"Quelmar",
            {.value = true}},
        {u"PicBoxText",     Kind::PictureBox,    u"PicBoxWin",       1575, 450,  5160, 2805, 11, {},
            {.back = SystemColour::WindowBackground, .description = u"Fundo da mensagem"}},
        {u"FrmScrollNo",    Kind::Frame,         u"PicBoxWin",       45,   3615, 6720, 480,  10, u"Browser"},
        {u"frmBotoes(1)",   Kind::Frame,         u"PicBoxWin",       45,   795,  1395, 2685, 8,  {},
            {.description = u"Comandos"}},
        {u"Label1",         Kind::Label,         u"PicBoxWin",       3315, 3360, 870,  240,  17, u"Mensagem:"},
        {u"imgQuelmarGif",  Kind::Image,         u"PicBoxWin",       2385, 45,   3570, 330,  -1, {},
            {.picture = u"titulo.gif", .stretch = true, .description = u"Quelmar de Orivela"}},
    }};
// clang-format on

frmPrincipal::frmPrincipal()
    : Form(layout), hscrollBrowser(scrollBar(u"hscrollBrowser")), cmdFechar(button(u"cmdFechar")),
      cmdProxima(button(u"cmdProxima")), cmdLocalizar(button(u"cmdLocalizar")),
      Command1(button(u"Command1")), cmdOpcoes(button(u"cmdOpcoes")),
      cmdImprimir(button(u"cmdImprimir")), cmdSobre(button(u"cmdSobre")),
      TxtTexto(textBox(u"TxtTexto")), TxtNuMensagem(textBox(u"TxtNuMensagem")),
      tmpTimer(timer(u"tmpTimer")), OptTarvenas(option(u"OptTarvenas")),
      OptQuelmar(option(u"OptQuelmar")), m_liveRegion(TxtTexto) {
    cmdFechar.onClick([this] { cmdFechar_Click(); });
    cmdProxima.onClick([this] { cmdProxima_Click(); });
    tmpTimer.onTimer([this] { tmpTimer_Timer(); });
    // A message settled on is remembered and heard; the ones a drag passes over are not.
    hscrollBrowser.onChange([this] {
        hscrollBrowser_Change();
        messageShown();
    });
    hscrollBrowser.onScroll([this] { hscrollBrowser_Scroll(); });
    OptQuelmar.onClick([this] { OptQuelmar_Click(); });
    OptTarvenas.onClick([this] { OptTarvenas_Click(); });
    cmdLocalizar.onClick([this] { cmdLocalizar_Click(); });
    Command1.onClick([this] { Command1_Click(); });
    cmdOpcoes.onClick([this] { cmdOpcoes_Click(); });
    cmdImprimir.onClick([this] { cmdImprimir_Click(); });
    cmdSobre.onClick([this] { cmdSobre_Click(); });
    bindKeys();
}

frmPrincipal::~frmPrincipal() = default;

void frmPrincipal::readCollectionsAhead(Program& program,
                                        std::unique_ptr<data::CollectionLoader> collections) {
    program.global<CollectionsReadAhead>().collections = std::move(collections);
}

// Start-up. The options file is opened before the collections, so that a missing one is what
// gets reported; its fields are read only once both collections are open. The collections are
// read on a worker thread, mostly while Qt starts; each step below takes its result, or raises
// the fault met getting it, so faults come at the same steps as if they were read here. The
// worker goes on folding their texts for finds after the window is shown.
void frmPrincipal::Form_Load() {
    m_collections = collectionsOf(AppPath());
    data::CollectionLoader* colecoes = m_collections.get();
    data::OptionsHandles options = data::openOptions(db::DBEngine(), AppPath());
    Module1& globals = module1();
    globals.dbOpcoes = options.database;
    globals.rsOpcoes = options.record;

    dbQuelmar = colecoes->database(data::quelmarCollection);
    dbTarvenas = colecoes->database(data::tarvenasCollection);
    rsQuelmar = colecoes->rows(data::quelmarCollection);
    rsTarvenas = colecoes->rows(data::tarvenasCollection);

    db::Recordset& rsOpcoes = *globals.rsOpcoes;
    rsOpcoes.MoveFirst();
    if (data::startsWithFirstCollection(rsOpcoes))
        OptQuelmar.setValue(true);
    else
        OptTarvenas.setValue(true);
    tmpTimer.setInterval(data::timerPeriodMilliseconds(rsOpcoes));
    tmpTimer.setEnabled(data::timerOn(rsOpcoes));

    // The option buttons, not the stored choice, decide which collection is shown.
    const bool second = OptTarvenas.Value();
    rsAtual = second ? rsTarvenas : rsQuelmar;
    TotMensagens = data::countCollection(*rsAtual, currentSource());
    hscrollBrowser.setMax(TotMensagens);
    m_history.clear();
    showRandomMessage();
}

// The collections' texts are folded for finds once the first frame is done (the queued call
// runs after the whole pass, children included), so that folding never delays it.
void frmPrincipal::paintEvent(QPaintEvent* event) {
    Form::paintEvent(event);
    if (m_collections && !m_foldingStarted) {
        m_foldingStarted = true;
        QMetaObject::invokeMethod(
            this, [this] { m_collections->startFolding(); }, Qt::QueuedConnection);
    }
}

void frmPrincipal::Form_Unload() {
    End();
}

void frmPrincipal::cmdFechar_Click() {
    End();
}

void frmPrincipal::cmdProxima_Click() {
    showRandomMessage();
}

void frmPrincipal::tmpTimer_Timer() {
    showRandomMessage();
}

// The number box keeps the row's plain number only when the scroll bar already stood there;
// otherwise moving the scroll bar rewrites it in the blank-prefixed form.
void frmPrincipal::showRandomMessage() {
    Randomize();
    NuAtual = data::randomMessageNumber(TotMensagens, Rnd());
    data::lookUpMessage(*rsAtual, NuAtual);
    TxtTexto.setText(data::currentMessageText(*rsAtual));
    TxtNuMensagem.setText(data::currentNumberText(*rsAtual));
    hscrollBrowser.setValue(data::currentNumber(*rsAtual));
    messageShown();
}

void frmPrincipal::hscrollBrowser_Change() {
    const std::int16_t asked = hscrollBrowser.Value();
    NuAtual = asked;
    data::lookUpMessage(*rsAtual, NuAtual);
    TxtTexto.setText(data::currentMessageText(*rsAtual));
    TxtNuMensagem.setText(Str(asked));
}

void frmPrincipal::hscrollBrowser_Scroll() {
    hscrollBrowser_Change();
}

void frmPrincipal::OptQuelmar_Click() {
    makeCurrent(rsQuelmar);
}

void frmPrincipal::OptTarvenas_Click() {
    makeCurrent(rsTarvenas);
}

// A collection is judged each time it becomes current; a fault ends the program here.
void frmPrincipal::makeCurrent(const std::shared_ptr<db::Recordset>& collection) {
    rsAtual.reset();
    rsAtual = collection;
    TotMensagens = data::countCollection(*rsAtual, currentSource());
    hscrollBrowser.setMax(TotMensagens);
    m_history.clear();
    cmdProxima.setValue(true);
}

// The number box keeps the found row's plain number when the scroll bar already stood there;
// otherwise the scroll bar's change handler rewrites it. A new search reads from the first
// message without moving there first: a miss must leave the current record on the message on
// display, where find-next goes on from.
bool frmPrincipal::Localizar(const QString& Opc, SearchFrom Tip) {
    switch (Tip) {
    case SearchFrom::FirstMessage:
        rsAtual->FindFirst(Opc);
        break;
    case SearchFrom::AfterCurrent:
        rsAtual->FindNext(Opc);
        break;
    }
    if (rsAtual->NoMatch()) {
        MsgBox(u"Palavra chave ou número não encontrado"_s, vbExclamation,
               u"Palavra ou número não encontrado"_s);
        return false;
    }
    module1().UltimoCriterio = Opc;
    TxtTexto.setText(data::currentMessageText(*rsAtual));
    TxtNuMensagem.setText(data::currentNumberText(*rsAtual));
    hscrollBrowser.setValue(data::currentNumber(*rsAtual));
    messageShown();
    return true;
}

void frmPrincipal::cmdLocalizar_Click() {
    showFindWindow();
}

// Find-next: with no search that found something yet, the Find window opens instead.
void frmPrincipal::Command1_Click() {
    const QString& UltimoCriterio = module1().UltimoCriterio;
    if (Trim(UltimoCriterio).isEmpty()) {
        showFindWindow();
        return;
    }
    Localizar(UltimoCriterio, SearchFrom::AfterCurrent);
}

void frmPrincipal::showFindWindow() {
    Load<FrmLocalizar>().Show();
}

// An open Options window only comes forward, keeping what the user has not stored yet.
void frmPrincipal::cmdOpcoes_Click() {
    Load<FrmOpçoes>().Show();
}

// A page that cannot be printed is no reason to end the program: the user is told why, and the
// message and the timer go on as they were.
void frmPrincipal::cmdImprimir_Click() {
    FrmRel& page = Load<FrmRel>();
    page.LblText.setCaption(TxtTexto.Text());
    if (const Failure failure = page.PrintForm())
        MsgBox(u"Não foi possível imprimir a mensagem: "_s + *failure, vbExclamation,
               u"Quelmar de Orivela"_s);
}

void frmPrincipal::cmdSobre_Click() {
    Load<FrmSobre>().Show();
}

const data::CollectionSource& frmPrincipal::currentSource() const {
    return rsAtual == rsTarvenas ? data::tarvenasCollection : data::quelmarCollection;
}

// Keys besides the captions' own, working wherever the focus lies in this window.
void frmPrincipal::bindKeys() {
    onWindowKey(*this, QKeySequence(Qt::CTRL | Qt::Key_C), [this] { copyMessage(); });
    onWindowKey(*this, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), [this] { copyCard(); });
    onWindowKey(*this, QKeySequence(Qt::ALT | Qt::Key_Left),
                [this] { showAgain(m_history.back()); });
    onWindowKey(*this, QKeySequence(Qt::ALT | Qt::Key_Right),
                [this] { showAgain(m_history.forward()); });
    clickOnWindowKey(*this, QKeySequence(Qt::Key_F3), Command1);
    clickOnWindowKey(*this, QKeySequence(Qt::CTRL | Qt::Key_F), cmdLocalizar);
    clickOnWindowKey(*this, QKeySequence(Qt::CTRL | Qt::Key_P), cmdImprimir);
}

// What the user selected in the message, or else the whole message with its source.
QString frmPrincipal::copiedText() const {
    const QString selected = TxtTexto.SelText();
    return selected.isEmpty() ? withSource(TxtTexto.Text(), currentSource(), NuAtual) : selected;
}

void frmPrincipal::copyMessage() {
    ClipboardSetText(copiedText());
}

// The card of the message on display, with the text Ctrl+C copies. A message too long for a
// card is never cut: the user is told, and gets the text alone.
void frmPrincipal::copyCard() {
    const data::CollectionSource& source = currentSource();
    const std::optional<QByteArray> png = card::cardPng({.message = TxtTexto.Text(),
                                                         .attribution = sourceLine(source, NuAtual),
                                                         .title = QString::fromUtf16(source.title),
                                                         .banner = true});
    if (png) {
        ClipboardSetTextAndPng(copiedText(), *png);
        return;
    }
    ClipboardSetText(copiedText());
    MsgBox(u"Só o texto foi copiado: "_s + card::tooLongForCard(card::defaultSize) + u'.',
           vbExclamation, u"Quelmar de Orivela"_s);
}

// Back and forward move the scroll bar, so the message comes up as it does for a scroll.
void frmPrincipal::showAgain(std::optional<std::int16_t> number) {
    if (number)
        hscrollBrowser.setValue(*number);
}

// Each message settled on, by any way, is remembered for going back to it, and heard when it
// came without the user reading the message box.
void frmPrincipal::messageShown() {
    const std::int16_t shown = hscrollBrowser.Value();
    m_history.record(shown);
    m_liveRegion.update(u"Mensagem "_s + QString::number(shown) + u": "_s + TxtTexto.Text());
}

} // namespace windows
