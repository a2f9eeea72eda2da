#pragma once

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "RecordingPresenter.h"
#include "TestFiles.h"
#include "gui/customer/TFoCustomer.h"
#include "gui/idcode/TFoIDCode.h"
#include "gui/mainwindow/TForm1.h"
#include "gui/orderlist/TFoOrderlist.h"
#include "gui/widgets/MessagePresenter.h"

// The program's windows, as the tests name them; set while a SampleWindows lives.
inline TFoOrderlist* FoOrderlist = nullptr;
inline TFoCustomer* FoCustomer = nullptr;
inline TFoIDCode* FoIDCode = nullptr;

// The main window over a copy of the shipped sample catalogue and price file, with the
// order list, customer and ID-code windows as the program creates them. A modal window is
// shown without a loop of its own: the test's script runs while it is open, and a window
// the script leaves open is closed as by its close box.
class SampleWindows {
  public:
    using Script = std::function<void(QDialog&)>;

    SampleWindows() {
        namespace fs = std::filesystem;
        for (const char* name : {"KITBUILDER.INI", "KITBUILDER.PRS"})
            fs::copy_file(fs::path(KITBUILDER_DATA_DIR) / name, m_dir.path() / name);
        form = std::make_unique<TForm1>(
            TForm1::DataFiles{m_dir.file("KITBUILDER.INI"), m_dir.file("KITBUILDER.PRS")}, presenter,
            [](int code) { qFatal("the sample catalogue did not load: exit code %d", code); });
        FoOrderlist = form->FoOrderlist();
        FoCustomer = form->FoCustomer();
        FoIDCode = form->FoIDCode();
        form->setModalRunner([this](QDialog& dialog) { RunModal(dialog); });
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qFatal("the main window did not appear");
    }
    ~SampleWindows() {
        form.reset();
        FoOrderlist = nullptr;
        FoCustomer = nullptr;
        FoIDCode = nullptr;
    }
    SampleWindows(const SampleWindows&) = delete;
    SampleWindows& operator=(const SampleWindows&) = delete;

    // Runs the script while the next modal window is open.
    void whileOpen(Script script) { m_script = std::move(script); }

    template <class W> W* find(QObject* parent, const char* name) const {
        W* widget = parent->findChild<W*>(QLatin1String(name));
        if (!widget)
            qFatal("no control named %s", name);
        return widget;
    }
    template <class W> W* inForm(const char* name) const { return find<W>(form.get(), name); }

    kb::Configurator& core() { return form->core(); }
    std::string file(const std::string& name) const { return m_dir.file(name); }
    std::string write(const std::string& name, const std::string& text) const {
        return m_dir.write(name, text);
    }
    const std::filesystem::path& folder() const { return m_dir.path(); }

    RecordingPresenter presenter;
    std::unique_ptr<TForm1> form;
    // Every modal window shown, with its result when it closed.
    std::vector<QDialog*> modals;
    std::vector<int> results;

  private:
    void RunModal(QDialog& dialog) {
        modals.push_back(&dialog);
        dialog.setResult(-1);
        dialog.show();
        dialog.activateWindow();
        // qWaitForWindowActive counts the active main window as the dialog's own activation.
        if (!QTest::qWaitFor([&dialog] { return QApplication::activeWindow() == &dialog; }))
            qFatal("%s did not become active", qPrintable(dialog.objectName()));
        if (m_script) {
            const Script script = std::move(m_script);
            m_script = nullptr;
            script(dialog);
        }
        if (dialog.isVisible())
            dialog.reject();
        results.push_back(dialog.result());
    }

    TempDir m_dir;
    Script m_script;
};

// The widgets that Tab visits, from the first one on, once around.
inline QStringList TabOrder(QWidget* first) {
    QStringList names;
    QWidget* w = first;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            names.append(w->objectName());
        w = w->nextInFocusChain();
    } while (w != first);
    return names;
}

inline QString FocusName() {
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
}
