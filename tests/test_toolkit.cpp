// The controls' event rules, the handler wrapper and the one-instance-per-form registry, on a
// small form of the test's own; and every window of the program built as its table says.

#include "platform/core/runtime_error.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/program.h"
#include "platform/toolkit/shell.h"
#include "support/layout_check.h"
#include "support/program_run.h"
#include "support/raised_error.h"
#include "support/recording_services.h"
#include "support/scratch_database.h"
#include "windows/localizar.h"
#include "windows/opcoes.h"
#include "windows/sobre.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <QWheelEvent>

using namespace Qt::StringLiterals;
using namespace toolkit;
using core::ErrorCode;

namespace {

// clang-format off
const FormLayout sampleLayout{
    .name = u"frmAmostra",
    .caption = u"Amostra",
    .client = {3000, 1500},
    .placement = StoredAt{1500, 750},
    .border = Border::Sizable,
    .controls = {
        {u"cmdA",     Kind::CommandButton, {},        0,   0,   900, 300, 6, u"&A"},
        {u"fraGrupo", Kind::Frame,         {},        0,   300, 1500, 900, 1, u"Grupo"},
        {u"optUm",    Kind::OptionButton,  u"fraGrupo", 60, 200, 900, 240, 2, u"Um", {.value = true}},
        {u"optDois",  Kind::OptionButton,  u"fraGrupo", 60, 500, 900, 240, 3, u"Dois"},
        {u"optFora",  Kind::OptionButton,  {},        1600, 300, 900, 240, 4, u"Fora"},
        {u"chkMarca", Kind::CheckBox,      {},        1600, 600, 900, 240, 5, u"Marca"},
        {u"txtNome",  Kind::TextBox,       {},        1600, 900, 900, 300, 0, u"inicial"},
        {u"hsbBarra", Kind::HScrollBar,    {},        0,   1200, 3000, 210, 7, {},
            {.min = 1, .max = 10, .initial = 1}},
        {u"udSeg",    Kind::UpDown,        {},        2600, 0,  210, 375, 8, {},
            {.min = 1, .max = 99, .initial = 15}},
        {u"lnkSite",  Kind::LinkLabel,     {},        1000, 0,  1500, 255, 9, u"www.example.org"},
        {u"lblNome",  Kind::Label,         {},        1000, 255, 1500, 255, 10, u"Nome"},
        {u"tmpRelogio", Kind::Timer,       {},        0,   0,   0,   0,  -1, {}, {.interval = 0}},
    }};
// clang-format on

class SampleForm : public Form {
public:
    SampleForm() : Form(sampleLayout) {
        button(u"cmdA").onClick([this] { events << u"cmdA_Click"_s; });
        option(u"optUm").onClick([this] { events << u"optUm_Click"_s; });
        option(u"optDois").onClick([this] { events << u"optDois_Click"_s; });
        scrollBar(u"hsbBarra").onChange([this] {
            events << u"hsbBarra_Change %1"_s.arg(scrollBar(u"hsbBarra").Value());
        });
        upDown(u"udSeg").onChange(
            [this] { events << u"udSeg_Change %1"_s.arg(upDown(u"udSeg").Value()); });
        timer(u"tmpRelogio").onTimer([this] { events << u"tmpRelogio_Timer"_s; });
        label(u"lnkSite").onClick([this] { events << u"lnkSite_Click"_s; });
        label(u"lblNome").onClick([this] { events << u"lblNome_Click"_s; });
    }
    void Form_Load() override { ++loads; }
    void Form_Unload() override { ++*unloads; }

    QStringList events;
    int loads = 0;
    int* unloads = &m_unloads;

private:
    int m_unloads = 0;
};

using Opener = Form& (*)(ProgramRun&);

} // namespace

Q_DECLARE_METATYPE(Opener)

class TestToolkit : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_services = std::make_unique<RecordingServices>();
        m_program = std::make_unique<Program>(*m_services, u"/programa"_s);
        m_form = &m_program->form<SampleForm>();
    }

    void cleanup() {
        m_program.reset();
        m_services.reset();
    }

    void buttonValueRunsClickAtOnce() {
        m_form->button(u"cmdA").setValue(true);
        QCOMPARE(m_form->events, QStringList{u"cmdA_Click"_s});
        m_form->button(u"cmdA").setValue(false);
        QCOMPARE(m_form->events.size(), 1);
        QVERIFY(!m_form->button(u"cmdA").autoDefault());
    }

    void optionButtonsClearEachOtherInTheirContainer() {
        OptionButton& one = m_form->option(u"optUm");
        OptionButton& two = m_form->option(u"optDois");
        OptionButton& outside = m_form->option(u"optFora");

        one.setValue(true); // already selected: no change, no Click
        QVERIFY(m_form->events.isEmpty());
        two.setValue(true);
        QCOMPARE(m_form->events, QStringList{u"optDois_Click"_s});
        QVERIFY(!one.Value());
        outside.setValue(true); // another container keeps its own selection
        QVERIFY(two.Value());
        QTest::mouseClick(&one, Qt::LeftButton);
        QCOMPARE(m_form->events.last(), u"optUm_Click"_s);
        QVERIFY(!two.Value());
        one.setValue(false);
        QVERIFY(!one.Value() && !two.Value());
    }

    void checkBoxHasThreeValues_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("afterClick");
        QTest::newRow("0") << 0 << true << 1;
        QTest::newRow("1") << 1 << true << 0;
        QTest::newRow("2 grey") << 2 << true << 0;
        QTest::newRow("3") << 3 << false << 0;
        QTest::newRow("-1") << -1 << false << 0;
    }

    void checkBoxHasThreeValues() {
        QFETCH(int, value);
        QFETCH(bool, valid);
        QFETCH(int, afterClick);
        CheckBox& box = m_form->checkBox(u"chkMarca");
        box.setValue(0);
        const auto error = errorOf([&] { box.setValue(value); });
        if (!valid) {
            QCOMPARE(error, ErrorCode::InvalidPropertyValue);
            return;
        }
        QCOMPARE(box.Value(), value);
        box.click();
        QCOMPARE(box.Value(), afterClick);
    }

    void scrollBarValueFromCodeRunsChange() {
        HScrollBar& bar = m_form->scrollBar(u"hsbBarra");
        bar.setValue(4);
        QCOMPARE(m_form->events, QStringList{u"hsbBarra_Change 4"_s});
        bar.setValue(4);
        QCOMPARE(m_form->events.size(), 1);
        QCOMPARE(bar.slider()->value(), 4); // the widget shows it too
        bar.slider()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(m_form->events.last(), u"hsbBarra_Change 5"_s);
    }

    void scrollBarRejectsValuesOutsideItsRange_data() {
        QTest::addColumn<int>("value");
        QTest::newRow("below Min") << 0;
        QTest::newRow("above Max") << 11;
        QTest::newRow("beyond 16 bits") << 70000;
    }

    void scrollBarRejectsValuesOutsideItsRange() {
        QFETCH(int, value);
        HScrollBar& bar = m_form->scrollBar(u"hsbBarra");
        const auto error = raisedBy([&] { bar.setValue(value); });
        QVERIFY(error);
        QCOMPARE(error->code(), ErrorCode::InvalidPropertyValue);
        QVERIFY2(error->description().contains(QString::number(value)),
                 qPrintable(error->description()));
        QCOMPARE(bar.Value(), 1);
        QVERIFY(m_form->events.isEmpty());
        QCOMPARE(errorOf([&] { bar.setMax(40000); }), ErrorCode::InvalidPropertyValue);
    }

    void loweringMaxBringsValueDown() {
        HScrollBar& bar = m_form->scrollBar(u"hsbBarra");
        bar.setValue(9);
        m_form->events.clear();
        bar.setMax(5);
        QCOMPARE(bar.Value(), 5);
        QCOMPARE(m_form->events, QStringList{u"hsbBarra_Change 5"_s});
        bar.setMax(20); // raising it moves nothing
        QCOMPARE(m_form->events.size(), 1);
        QCOMPARE(bar.slider()->maximum(), 20);
    }

    void scrollBarKeysAndWheel_data() {
        QTest::addColumn<int>("key"); // 0: a turn of the wheel away from the user
        QTest::addColumn<bool>("rightToLeft");
        QTest::addColumn<int>("expected");
        QTest::newRow("Right") << int(Qt::Key_Right) << false << 6;
        QTest::newRow("Left") << int(Qt::Key_Left) << false << 4;
        QTest::newRow("Right, right to left") << int(Qt::Key_Right) << true << 4;
        QTest::newRow("Left, right to left") << int(Qt::Key_Left) << true << 6;
        QTest::newRow("Up") << int(Qt::Key_Up) << false << 4;
        QTest::newRow("Down") << int(Qt::Key_Down) << false << 6;
        QTest::newRow("PgUp") << int(Qt::Key_PageUp) << false << 4;
        QTest::newRow("PgDn") << int(Qt::Key_PageDown) << false << 6;
        QTest::newRow("Home") << int(Qt::Key_Home) << false << 1;
        QTest::newRow("End") << int(Qt::Key_End) << false << 10;
        QTest::newRow("wheel") << 0 << false << 4;
    }

    // Keys pressed on the focused bar of a shown window, as the keyboard sends them.
    void scrollBarKeysAndWheel() {
        QFETCH(int, key);
        QFETCH(bool, rightToLeft);
        QFETCH(int, expected);
        HScrollBar& bar = m_form->scrollBar(u"hsbBarra");
        bar.setValue(5);
        m_form->events.clear();
        m_form->setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
        m_form->Show();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        bar.slider()->setFocus();
        QCOMPARE(QApplication::focusWidget(), bar.slider());
        if (key != 0) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        } else {
            const QPointF inside(5, 5);
            QWheelEvent away(inside, bar.slider()->mapToGlobal(inside), {}, {0, 120}, Qt::NoButton,
                             Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(bar.slider(), &away);
        }
        QCOMPARE(bar.Value(), expected);
        QCOMPARE(m_form->events, QStringList{u"hsbBarra_Change %1"_s.arg(expected)});
    }

    void timerPeriods_data() {
        QTest::addColumn<qint64>("milliseconds");
        QTest::addColumn<bool>("valid");
        QTest::newRow("0") << qint64(0) << true;
        QTest::newRow("99000") << qint64(99000) << true;
        QTest::newRow("largest") << qint64(2147483647) << true;
        QTest::newRow("beyond 32 bits") << qint64(2147483648) << false;
        QTest::newRow("negative") << qint64(-1) << false;
    }

    void timerPeriods() {
        QFETCH(qint64, milliseconds);
        QFETCH(bool, valid);
        Timer& timer = m_form->timer(u"tmpRelogio");
        timer.setInterval(1000);
        const auto error = errorOf([&] { timer.setInterval(milliseconds); });
        QCOMPARE(error == ErrorCode::InvalidPropertyValue, !valid);
        QCOMPARE(qint64(timer.Interval()), valid ? milliseconds : 1000);
        QCOMPARE(timer.isRunning(), timer.Interval() != 0);
        timer.setEnabled(false);
        QVERIFY(!timer.isRunning());
    }

    void timerZeroNeverFires() {
        Timer& timer = m_form->timer(u"tmpRelogio");
        QVERIFY(timer.Enabled());
        QTest::qWait(60);
        QVERIFY(m_form->events.isEmpty());
        timer.setInterval(10);
        QTRY_VERIFY(m_form->events.contains(u"tmpRelogio_Timer"_s));
    }

    void upDownStaysInRange() {
        UpDown& spin = m_form->upDown(u"udSeg");
        QCOMPARE(spin.Value(), 15);
        spin.setValue(30);
        QCOMPARE(m_form->events, QStringList{u"udSeg_Change 30"_s});
        spin.setValue(120); // outside: the nearest end, quietly
        QCOMPARE(spin.Value(), 99);
        spin.setValue(0);
        QCOMPARE(spin.Value(), 1);
        QCOMPARE(m_form->events.size(), 1);
        spin.stepDown(); // at the bottom already
        QCOMPARE(m_form->events.size(), 1);
        auto arrows = spin.findChildren<QToolButton*>();
        QCOMPARE(arrows.size(), 2);
        arrows[0]->click();
        QCOMPARE(m_form->events.last(), u"udSeg_Change 2"_s);
        QTest::keyClick(&spin, Qt::Key_Down);
        QCOMPARE(m_form->events.last(), u"udSeg_Change 1"_s);
    }

    void messageBoxBreaksLinesAtTheEdge_data() {
        QTest::addColumn<QString>("before"); // on display first
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("betweenWords"); // else every line reaches the edge
        const QString words =
            u"Quem semeia amor colhe paz, e quem espera sempre alcança. "_s.repeated(40);
        const QString run = QString(64 * 1024, u'x');
        QTest::newRow("words") << QString() << words << true;
        QTest::newRow("one unbroken run") << QString() << run << false;
        QTest::newRow("words after a run") << run << words << true;
    }

    // The text exactly as stored, each line broken between words, and a run too long for a line
    // broken where it reaches the edge.
    void messageBoxBreaksLinesAtTheEdge() {
        QFETCH(QString, before);
        QFETCH(QString, message);
        QFETCH(bool, betweenWords);
        TextBox box(nullptr, true);
        box.resize(326, 175);
        box.show();
        box.setLocked(true);
        box.setText(before);
        box.setText(message);
        auto* editor = static_cast<QPlainTextEdit*>(box.editor());
        QCOMPARE(box.Text(), message);
        QCOMPARE(editor->toPlainText(), message);

        const QTextBlock block = editor->document()->firstBlock();
        editor->document()->documentLayout()->blockBoundingRect(block); // lays the block out
        const QTextLayout& lines = *block.layout();
        QVERIFY(lines.lineCount() > 1);
        const qreal room = lines.lineAt(0).width();
        const qreal widest = QFontMetricsF(editor->font()).maxWidth();
        for (int i = 0; i + 1 < lines.lineCount(); ++i) {
            const QTextLine line = lines.lineAt(i);
            QVERIFY(line.naturalTextWidth() <= room);
            if (betweenWords)
                QVERIFY2(message.at(line.textStart() + line.textLength() - 1) == u' ',
                         qPrintable(u"line %1 breaks a word"_s.arg(i)));
            else
                QVERIFY2(room - line.naturalTextWidth() < widest,
                         qPrintable(u"line %1 stops short of the edge"_s.arg(i)));
        }
    }

    void linkLabelsAreReachedAndPressed() {
        Label& link = m_form->label(u"lnkSite");
        Label& plain = m_form->label(u"lblNome");
        QVERIFY(link.focusPolicy() & Qt::TabFocus);
        QCOMPARE(plain.focusPolicy(), Qt::NoFocus);

        QTest::mouseClick(&link, Qt::LeftButton);
        QTest::keyClick(&link, Qt::Key_Return);
        QTest::keyClick(&plain, Qt::Key_Return); // a plain label takes no keys
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(&link);
        QVERIFY(spoken);
        QCOMPARE(spoken->role(), QAccessible::Link);
        QCOMPARE(spoken->text(QAccessible::Name), u"www.example.org"_s);
        spoken->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(m_form->events, QStringList(3, u"lnkSite_Click"_s));
        QTest::mouseClick(&plain, Qt::LeftButton);
        QCOMPARE(m_form->events.last(), u"lblNome_Click"_s);
    }

    // However the link got the focus, by Tab or by a click, it looks different while it has it.
    void focusedLinkIsMarked() {
        m_form->Show();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        Label& link = m_form->label(u"lnkSite");
        const QImage unmarked = link.grab().toImage();
        QTest::mouseClick(&link, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), &link);
        QVERIFY(link.grab().toImage() != unmarked);
        m_form->textBox(u"txtNome").editor()->setFocus();
        QCOMPARE(link.grab().toImage(), unmarked);
        link.setFocus(Qt::TabFocusReason);
        QVERIFY(link.grab().toImage() != unmarked);
    }

    // At whatever scale the test runs (CTest runs it at 1 and at 2): the hot spot, in the cursor
    // picture's own pixels, is the middle of the topmost row of the hand.
    void linkCursorPointsWithTheFingertip() {
        const QCursor cursor = m_form->label(u"lnkSite").cursor();
        QCOMPARE(cursor.shape(), Qt::BitmapCursor);
        QCOMPARE(cursor.pixmap().devicePixelRatio(), qApp->devicePixelRatio() > 1 ? 2.0 : 1.0);
        QCOMPARE(cursor.pixmap().deviceIndependentSize(), QSizeF(32, 32));
        const QImage hand = cursor.pixmap().toImage();
        int top = -1;
        int first = -1;
        int last = -1;
        for (int y = 0; y < hand.height() && top < 0; ++y)
            for (int x = 0; x < hand.width(); ++x)
                if (qAlpha(hand.pixel(x, y)) != 0) {
                    top = y;
                    first = first < 0 ? x : first;
                    last = x;
                }
        const QPoint hot = cursor.hotSpot();
        QCOMPARE(hot.y(), top);
        QVERIFY2(qAbs(first + last - 2 * hot.x()) <= 1,
                 qPrintable(u"tip %1..%2, hot spot %3"_s.arg(first).arg(last).arg(hot.x())));
    }

    void screenReaderReadsAndStepsTheSpin() {
        UpDown& spin = m_form->upDown(u"udSeg");
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(&spin);
        QVERIFY(spoken);
        QCOMPARE(spoken->role(), QAccessible::SpinBox);
        QAccessibleValueInterface* value = spoken->valueInterface();
        QVERIFY(value);
        QCOMPARE(value->currentValue().toInt(), 15);
        QCOMPARE(value->maximumValue().toInt(), 99);
        spoken->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
        QCOMPARE(m_form->events, QStringList{u"udSeg_Change 16"_s});
        value->setCurrentValue(500);
        QCOMPARE(spin.Value(), 99);
        QCOMPARE(m_form->events.last(), u"udSeg_Change 99"_s);
    }

    void launcherReportsHowItEnded_data() {
        QTest::addColumn<QString>("script"); // the body of the xdg-open found on PATH; null: none
        QTest::addColumn<QString>("atOnce");
        QTest::addColumn<QString>("later");
        QTest::newRow("opened") << u"exit 0"_s << QString() << QString();
        QTest::newRow("no program for the address")
            << u"exit 3"_s << QString()
            << u"não há nenhum programa instalado que abra esse tipo de endereço."_s;
        QTest::newRow("the action failed")
            << u"exit 4"_s << QString() << u"o programa que abre esse tipo de endereço falhou."_s;
        QTest::newRow("killed") << u"kill -9 $$"_s << QString()
                                << u"o xdg-open foi interrompido antes de abri-lo."_s;
        QTest::newRow("no launcher") << QString()
                                     << u"o sistema não tem o xdg-open, que abre endereços com os "
                                        "programas do ambiente de trabalho."_s
                                     << QString();
    }

    // The real launcher, with a stand-in xdg-open that records what it was given and ends as
    // the row says.
    void launcherReportsHowItEnded() {
        QFETCH(QString, script);
        QFETCH(QString, atOnce);
        QFETCH(QString, later);
        ScratchDirectory bin;
        const QString asked = bin.file(u"pedido.txt"_s);
        if (!script.isNull()) {
            const QString launcher = bin.file(u"xdg-open"_s);
            replaceContent(
                launcher,
                u"#!/bin/sh\nprintf %s \"$1\" > '%1'\n%2\n"_s.arg(asked, script).toUtf8());
            QVERIFY(QFile::setPermissions(launcher,
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());
        std::optional<QString> reported;
        const Failure failure = runStartCommand(u"start mailto:dev@example.org"_s,
                                                [&](const QString& reason) { reported = reason; });
        qputenv("PATH", path);

        QCOMPARE(failure.value_or(QString()), atOnce);
        if (script.isNull())
            return;
        QTRY_COMPARE(QFileInfo(asked).size(), qint64(22));
        QCOMPARE(contentOf(asked), QByteArray("mailto:dev@example.org"));
        if (later.isNull()) {
            QTest::qWait(300); // time for a report that must not come
            QVERIFY(!reported);
        } else {
            QTRY_VERIFY(reported);
            QCOMPARE(*reported, later);
        }
    }

    void runtimeErrorShowsTheBoxAndEnds() {
        bool after = false;
        m_program->dispatch([&] {
            core::raise(ErrorCode::Overflow, u"Estouro de capacidade:\n\n40000.\r\nFim."_s);
            after = true;
        });
        QVERIFY(!after);
        QVERIFY(m_program->ended());
        QCOMPARE(m_program->exitStatus(), 1);
        QCOMPARE(m_services->boxes.size(), std::size_t{1});
        QCOMPARE(m_services->boxes[0].prompt,
                 u"Erro em tempo de execução '201':\n\nEstouro de capacidade:\n\n40000.\r\nFim."_s);
        QCOMPARE(m_services->boxes[0].title, u"Quelmar de Orivela"_s);
        // The same text on one line for a terminal, each run of line breaks a blank.
        QCOMPARE(
            m_services->errorLines,
            std::vector<QString>{
                u"quelmar: Erro em tempo de execução '201': Estouro de capacidade: 40000. Fim."_s});
        QCOMPARE(m_services->endings, std::vector<int>{1});
        QVERIFY(!m_form->isVisible());
    }

    void endStopsEveryLaterHandler() {
        m_form->Show();
        m_program->dispatch([] { End(); });
        QCOMPARE(m_program->exitStatus(), 0);
        QVERIFY(m_services->boxes.empty());
        QVERIFY(m_services->errorLines.empty());
        QVERIFY(!m_form->isVisible());
        m_form->button(u"cmdA").click();
        QTest::mouseClick(&m_form->option(u"optDois"), Qt::LeftButton);
        QVERIFY(!m_form->events.contains(u"cmdA_Click"_s));
        QVERIFY(!m_form->events.contains(u"optDois_Click"_s));
    }

    void oneInstancePerForm() {
        QCOMPARE(&m_program->form<SampleForm>(), m_form);
        QCOMPARE(m_form->loads, 1);
        m_form->textBox(u"txtNome").setText(u"digitado"_s);
        int unloads = 0;
        m_form->unloads = &unloads;
        m_form->Unload();
        QCOMPARE(unloads, 1);
        QVERIFY(m_program->loadedForm<SampleForm>() == nullptr);
        SampleForm& again = m_program->form<SampleForm>();
        QVERIFY(&again != m_form);
        QCOMPARE(again.loads, 1);
        QCOMPARE(again.textBox(u"txtNome").Text(), u"inicial"_s);
    }

    void misspeltControlIsAnErrorNamingIt_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::newRow("no such control")
            << u"cmdB"_s << u"O formulário frmAmostra não tem nenhum controle chamado \"cmdB\"."_s;
        QTest::newRow("a control of another kind")
            << u"lblNome"_s
            << u"O controle \"lblNome\" do formulário frmAmostra não é do tipo que o programa espera."_s;
    }

    void misspeltControlIsAnErrorNamingIt() {
        QFETCH(QString, name);
        QFETCH(QString, description);
        const std::u16string asked = name.toStdU16String();
        const auto error = raisedBy([&] { m_form->button(asked); });
        QVERIFY(error);
        QCOMPARE(error->code(), ErrorCode::InternalError);
        QCOMPARE(error->description(), description);
    }

    void focusStartsAtTheLowestTabIndex() {
        m_form->Show();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        QCOMPARE(QApplication::focusWidget(), m_form->textBox(u"txtNome").editor());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), &m_form->option(u"optUm"));
    }

    void closeBoxUnloads() {
        m_form->Show();
        int unloads = 0;
        m_form->unloads = &unloads;
        QVERIFY(!m_form->close()); // the close request becomes an unload
        QCOMPARE(unloads, 1);
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_program->loadedForm<SampleForm>() == nullptr);
    }

    void windowPlacementAndStyle() {
        QCOMPARE(m_form->geometry(), QRect(100, 50, 200, 100));
        QVERIFY(m_form->windowFlags() & Qt::WindowMaximizeButtonHint);
        QVERIFY(m_form->maximumSize() != m_form->minimumSize());
        QCOMPARE(m_form->objectName(), u"frmAmostra"_s);
        QCOMPARE(m_form->button(u"cmdA").accessibleName(), u"A"_s);
        QCOMPARE(withoutMnemonics(u"Sal && Pimenta &Já"), u"Sal & Pimenta Já"_s);
        // Controls inside a frame are placed from its outer corner.
        QCOMPARE(m_form->option(u"optDois").pos(), QPoint(4, 33));
    }

    // Every window of the program against its table, opened as the user opens it.
    void everyWindowFollowsItsTable_data() {
        QTest::addColumn<Opener>("open");
        QTest::newRow("frmPrincipal")
            << Opener([](ProgramRun& run) -> Form& { return run.main(); });
        QTest::newRow("FrmLocalizar") << Opener([](ProgramRun& run) -> Form& {
            return run.open<windows::FrmLocalizar>(u"cmdLocalizar");
        });
        QTest::newRow("FrmOpçoes") << Opener(
            [](ProgramRun& run) -> Form& { return run.open<windows::FrmOpçoes>(u"cmdOpcoes"); });
        QTest::newRow("FrmSobre") << Opener(
            [](ProgramRun& run) -> Form& { return run.open<windows::FrmSobre>(u"cmdSobre"); });
    }

    void everyWindowFollowsItsTable() {
        QFETCH(Opener, open);
        // The program's own run takes the one program there may be at a time.
        m_program.reset();
        m_form = nullptr;
        ProgramOnDisk disk;
        disk.run.services.drawNext({0.0f});
        QVERIFY(disk.run.start());
        Form& window = open(disk.run);
        verifyLayoutFollowsTable(window);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(QTest::qWaitForWindowActive(&window));
        verifyTabOrderFollowsTable(window);
    }

private:
    std::unique_ptr<RecordingServices> m_services;
    std::unique_ptr<Program> m_program;
    SampleForm* m_form = nullptr;
};

QTEST_MAIN(TestToolkit)
#include "test_toolkit.moc"
