// The sync controller's window on a terminal: the views are plain lists with check marks, the
// progress bar and the cursor are not shown, messages are printed, and a conflict is asked on
// standard input when a person is there to answer it.
#pragma once

#include "cli/CommandLine.h"
#include "common/sync/SyncUi.h"

#include <map>
#include <utility>

namespace twinleaf::cli {

class TerminalSyncUi : public SyncUi {
public:
    explicit TerminalSyncUi(CommandContext& context) : m_context(context) {}

    // Whether an error message was shown since the start (a run refused for want of --force
    // counts as one).
    bool errorShown() const { return m_errorShown; }
    // --force: a run over a side read only in part goes ahead where it may.
    void setForce(bool force) { m_force = force; }
    const std::vector<void*>& rows(DataKind kind, ViewSide side) const;

    void setRows(DataKind kind, ViewSide side, std::vector<void*> records) override;
    void refreshRows(DataKind, ViewSide) override {}
    std::vector<bool> checkedRows(DataKind kind, ViewSide side) const override;
    void setChecked(DataKind kind, ViewSide side, std::size_t row, bool checked) override;
    void setAllChecked(DataKind kind, ViewSide side, const std::vector<bool>& checked) override;
    void fillUserSelector(DataKind, std::int32_t) override {}
    void setProgress(int) override {}
    void setProgressVisible(bool) override {}
    void setBusyCursor(bool) override {}
    // Errors and warnings go to standard error, the rest to standard output.
    void showMessage(const std::string& text, const std::string& caption, win::UINT icon) override;
    // Answered by --force; without it the question is printed with how to force the run.
    bool confirmRun(const std::string& text, const std::string& caption) override;
    // Without a terminal on standard input nobody can answer: the run stops as Cancel stops it.
    ConflictAnswer askConflict(DataKind kind, void* palmRecord, void* outlookRecord) override;

private:
    struct View {
        std::vector<void*> rows;
        std::vector<bool> checked;
    };
    View& view(DataKind kind, ViewSide side) { return m_views[{kind, side}]; }

    CommandContext& m_context;
    std::map<std::pair<DataKind, ViewSide>, View> m_views;
    bool m_errorShown = false;
    bool m_force = false;
};

// A message of the system as a terminal shows it: UTF-8, "\r\n" as a plain line break.
std::string terminalText(const std::string& ansi);

} // namespace twinleaf::cli
