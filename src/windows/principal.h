#pragma once

#include "platform/database/engine.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/live_region.h"
#include "windows/message_history.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace data {
class CollectionLoader;
struct CollectionSource;
} // namespace data

namespace toolkit {
class Program;
}

namespace windows {

// Where Localizar starts looking in the current collection. The values are the ones the window
// code has always passed.
enum class SearchFrom : std::int32_t {
    FirstMessage = 1, // a new search
    AfterCurrent = 2, // find-next, from the message on display
};

// The main window: it opens the collections and the options at start-up, owns the message on
// display and every way of changing it, and ends the program when it closes.
class frmPrincipal final : public toolkit::Form {
public:
    static const toolkit::FormLayout layout;

    frmPrincipal();
    ~frmPrincipal() override;

    // Hands the program the collections already being read for its start-up, so that Form_Load
    // takes them from there rather than starting to read only then.
    static void readCollectionsAhead(toolkit::Program& program,
                                     std::unique_ptr<data::CollectionLoader> collections);

    void Form_Load() override;
    void Form_Unload() override;

    // The first message of the current collection that meets the criterion `Opc`, or the next
    // one after the current record, as `Tip` says. A message found is put on display and its
    // criterion remembered for find-next; a miss is reported and changes nothing on display.
    bool Localizar(const QString& Opc, SearchFrom Tip);

    // The window's state, for reading only.
    std::int16_t nuAtual() const { return NuAtual; }
    std::int16_t totMensagens() const { return TotMensagens; }
    const db::Recordset* currentCollection() const { return rsAtual.get(); }
    const db::Recordset* firstCollection() const { return rsQuelmar.get(); }
    const db::Recordset* secondCollection() const { return rsTarvenas.get(); }

private:
    void cmdFechar_Click();
    void cmdProxima_Click();
    void tmpTimer_Timer();
    void hscrollBrowser_Change();
    void hscrollBrowser_Scroll();
    void OptQuelmar_Click();
    void OptTarvenas_Click();
    void cmdLocalizar_Click();
    void Command1_Click();
    void cmdOpcoes_Click();
    void cmdImprimir_Click();
    void cmdSobre_Click();

    void showRandomMessage();
    void makeCurrent(const std::shared_ptr<db::Recordset>& collection);
    void showFindWindow();
    const data::CollectionSource& currentSource() const;

    void paintEvent(QPaintEvent* event) override;

    void bindKeys();
    QString copiedText() const;
    void copyMessage();
    void copyCard();
    void showAgain(std::optional<std::int16_t> number);
    void messageShown();

    toolkit::HScrollBar& hscrollBrowser;
    toolkit::CommandButton& cmdFechar;
    toolkit::CommandButton& cmdProxima;
    toolkit::CommandButton& cmdLocalizar;
    toolkit::CommandButton& Command1;
    toolkit::CommandButton& cmdOpcoes;
    toolkit::CommandButton& cmdImprimir;
    toolkit::CommandButton& cmdSobre;
    toolkit::TextBox& TxtTexto;
    toolkit::TextBox& TxtNuMensagem;
    toolkit::Timer& tmpTimer;
    toolkit::OptionButton& OptTarvenas;
    toolkit::OptionButton& OptQuelmar;

    std::int16_t NuAtual = 0;
    std::int16_t TotMensagens = 0;
    std::shared_ptr<db::Database> dbQuelmar;
    std::shared_ptr<db::Database> dbTarvenas;
    std::shared_ptr<db::Recordset> rsQuelmar;
    std::shared_ptr<db::Recordset> rsTarvenas;
    std::shared_ptr<db::Recordset> rsAtual;

    // Still folding the collections' texts for finds once the window is shown.
    std::unique_ptr<data::CollectionLoader> m_collections;
    bool m_foldingStarted = false;
    MessageHistory m_history;
    toolkit::LiveRegion m_liveRegion;
};

} // namespace windows
