// The sync controller's interface on a terminal.
#include "cli/TerminalSyncUi.h"

#include "common/sync/KindTable.h"
#include "platform/codepage/Codepage.h"
#include "platform/ui/MessageBox.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <utility>

namespace twinleaf::cli {
namespace {

const std::vector<void*> kNoRows;

std::string padded(std::string text, std::size_t width) {
    if (text.size() > width) {
        text.resize(width);
    }
    text.append(width - text.size(), ' ');
    return text;
}

// One line per record under the columns the kind's views show; texts are cut in the 8-bit form,
// where one byte is one character.
void printPair(std::ostream& out, DataKind kind, void* palmRecord, void* outlookRecord) {
    constexpr std::size_t kCaption = 19;
    constexpr std::size_t kCell = 16;
    std::string header = padded("", kCaption);
    for (const ViewColumn& column : describeKind(kind).columns) {
        header += padded(column.caption, kCell);
    }
    out << terminalText(header) << "\n";
    const std::pair<const char*, void*> rows[] = {{"Palm Desktop", palmRecord},
                                                  {"Microsoft Outlook", outlookRecord}};
    for (const auto& [software, record] : rows) {
        std::string line = padded(software, kCaption);
        for (const ViewColumn& column : describeKind(kind).columns) {
            // A memo's text runs over several lines; its cell stays on the record's one line.
            std::string cell = fieldText(kind, record, column.fieldId);
            std::replace_if(
                cell.begin(), cell.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
            line += padded(std::move(cell), kCell - 1) + " ";
        }
        out << terminalText(line) << "\n";
    }
}

} // namespace

std::string terminalText(const std::string& ansi) {
    std::string text;
    text.reserve(ansi.size());
    for (std::size_t i = 0; i < ansi.size(); ++i) {
        if (ansi[i] == '\r' && i + 1 < ansi.size() && ansi[i + 1] == '\n') {
            continue;
        }
        text += ansi[i];
    }
    // Trailing blanks before a line break mean nothing on a terminal.
    for (std::size_t at = text.find(" \n"); at != std::string::npos; at = text.find(" \n")) {
        text.erase(at, 1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return ansiToUtf8(text);
}

const std::vector<void*>& TerminalSyncUi::rows(DataKind kind, ViewSide side) const {
    const auto found = m_views.find({kind, side});
    return found == m_views.end() ? kNoRows : found->second.rows;
}

void TerminalSyncUi::setRows(DataKind kind, ViewSide side, std::vector<void*> records) {
    View& v = view(kind, side);
    v.checked.assign(records.size(), false);
    v.rows = std::move(records);
}

std::vector<bool> TerminalSyncUi::checkedRows(DataKind kind, ViewSide side) const {
    const auto found = m_views.find({kind, side});
    return found == m_views.end() ? std::vector<bool>{} : found->second.checked;
}

void TerminalSyncUi::setChecked(DataKind kind, ViewSide side, std::size_t row, bool checked) {
    View& v = view(kind, side);
    if (row < v.checked.size()) {
        v.checked[row] = checked;
    }
}

void TerminalSyncUi::setAllChecked(DataKind kind, ViewSide side, const std::vector<bool>& checked) {
    View& v = view(kind, side);
    v.checked = checked;
    v.checked.resize(v.rows.size(), false);
}

void TerminalSyncUi::showMessage(const std::string& text, const std::string& caption,
                                 win::UINT icon) {
    const win::UINT shown = icon & win::MB_ICONMASK;
    if (shown == win::MB_ICONERROR || shown == win::MB_ICONWARNING) {
        m_errorShown = m_errorShown || shown == win::MB_ICONERROR;
        m_context.err << terminalText(caption + ": " + text) << "\n";
    } else {
        m_context.out << terminalText(text) << "\n";
    }
}

bool TerminalSyncUi::confirmRun(const std::string& text, const std::string& caption) {
    if (m_force) {
        m_context.err << terminalText(caption + ": " + text) << " Yes (--force).\n";
        return true;
    }
    m_errorShown = true;
    m_context.err << terminalText(caption + ": " + text)
                  << " No: nothing was synchronized; --force runs it.\n";
    return false;
}

ConflictAnswer TerminalSyncUi::askConflict(DataKind kind, void* palmRecord, void* outlookRecord) {
    if (!m_context.stdinIsTerminal || m_context.in == nullptr) {
        m_context.err << "Conflicting records found and nobody to ask: the synchronization stops "
                         "here, as Cancel would stop it.\n";
        printPair(m_context.err, kind, palmRecord, outlookRecord);
        return {};
    }
    std::ostream& out = m_context.out;
    out << "\nConflict records found  in the synchronization, please select the action to "
           "handle the conflicts.\n\n";
    printPair(out, kind, palmRecord, outlookRecord);
    out << "\n  1  Palm Desktop overwrites Microsoft Outlook\n"
           "  2  Microsoft Outlook overwrites Palm Desktop\n"
           "Add r to apply this rule to this synchronization, a to apply it to all future\n"
           "synchronizations (for example 2r); c cancels.\n";
    for (;;) {
        out << "Your choice [1]: " << std::flush;
        std::string line;
        if (!std::getline(*m_context.in, line)) {
            return {};
        }
        line.erase(std::remove_if(line.begin(), line.end(),
                                  [](char c) { return c == ' ' || c == '\t' || c == '\r'; }),
                   line.end());
        std::transform(line.begin(), line.end(), line.begin(), [](char c) {
            return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        });
        if (line == "c") {
            return {};
        }
        ConflictAnswer answer{true, 1, false, false};
        std::size_t at = 0;
        if (at < line.size() && (line[at] == '1' || line[at] == '2')) {
            answer.direction = line[at] - '0';
            ++at;
        }
        bool understood = true;
        for (; at < line.size(); ++at) {
            if (line[at] == 'r') {
                answer.applyThisRun = true;
            } else if (line[at] == 'a') {
                answer.applyAlways = true;
            } else {
                understood = false;
            }
        }
        if (understood) {
            return answer;
        }
        out << "Please answer 1 or 2, optionally followed by r or a, or c.\n";
    }
}

} // namespace twinleaf::cli
