// The Palm Desktop 6 database as a storage form of the generic facade, written once for every
// kind. A kind adds to its description the database access and record (DatabaseUtil,
// DatabaseRec, Database(item)), the two mappings (DatabaseToCommon, CommonToDatabase) and the
// database's file name (kDatabaseFile, kDatabaseNote).
//
// Rows are stored as they are written, inside one transaction that Save commits, so that a sync
// run reaches the file whole or not at all: a row that could not be stored makes Save give up
// the run's changes and say which records failed.
#pragma once

#include "common/misc/CommRecord.h"
#include "common/palm/PalmClassic.h"
#include "common/palm/PalmInfo.h"

#include <cstring>
#include <filesystem>
#include <string>

namespace twinleaf {

template <class Kind> class PmDatabaseForm : public PmStorageForm<Kind> {
public:
    using CommRec = typename Kind::CommRec;
    using Item = typename Kind::Item;
    using Util = typename Kind::DatabaseUtil;
    using Rec = typename Kind::DatabaseRec;
    using HeldAs = typename PmStorageForm<Kind>::HeldAs;

    Util& GetUtil() { return m_util; }

    PalmFormat Format() const override { return PalmFormat::Desktop6; }
    std::string PathForUser(std::uint32_t user) const override {
        return PalmUserFilePath(user, Kind::kDatabaseFolder, Kind::kDatabaseFile);
    }
    FormSniff Bid(const std::string& path) override {
        std::error_code error;
        if (path.empty() || !std::filesystem::is_regular_file(path, error)) {
            return {FormBid::NotMine, path + ": no such file"};
        }
        if (!LooksLikeDatabase(path)) {
            return {FormBid::NotMine, path + ": not a database"};
        }
        return {FormBid::Readable, {}};
    }
    bool Load(const std::string& path) override {
        Unload();
        if (m_util.OpenFile(path)) {
            m_lastError.clear();
            return true;
        }
        m_util.GetList()->Clear();
        // The reason names the file too; once is enough.
        std::string reason = m_util.GetLastError();
        if (reason.starts_with(path + ": ")) {
            reason.erase(0, path.size() + 2);
        }
        m_lastError = path + ": not " + Kind::kDatabaseNote + " (" + reason + ")";
        return false;
    }
    void Unload() override {
        // Changes that were never saved (a cancelled run) are given up.
        m_util.RollbackChanges();
        m_util.GetList()->Clear();
        m_failures.clear();
    }
    std::string LastError() const override { return m_lastError; }

    void* FirstRow() override { return m_util.GetList()->First(); }
    void* NextRow() override { return m_util.GetList()->Next(); }
    std::int32_t RowStatus(const void* row) const override {
        return static_cast<const Rec*>(row)->Status;
    }
    std::uint32_t RowRecordId(const void* row) const override {
        return static_cast<std::uint32_t>(static_cast<const Rec*>(row)->RecordId);
    }
    void TakeRow(void* row, Item& item) override {
        item.format = PalmFormat::Desktop6;
        item.source = row;
    }
    void ToCommon(const Item& item, CommRec& common) const override {
        Kind::DatabaseToCommon(Kind::Database(item), common);
    }
    HeldAs HeldAsCommon() const override { return &Held; }
    // A new record is made in the form's staging row and copied into the list by AppendRow.
    void PrepareRow(const CommRec& common, Item& item) override {
        m_staged = Rec{};
        item.format = PalmFormat::Desktop6;
        item.source = &m_staged;
        Rec& record = m_staged;
        Kind::CommonToDatabase(common, record);
        record.Status |= palm::kStatusAdded;
        record.Placement = palm::kNewRecordPosition;
    }
    bool AppendRow(Item& item) override {
        auto& records = *m_util.GetList();
        if (item.source != &m_staged || !records.Add(&m_staged)) {
            return false;
        }
        item.source = records.At(records.Count() - 1);
        return true;
    }
    bool UpdateRow(const CommRec& common, Item& item) override {
        if (item.format != PalmFormat::Desktop6) {
            return false;
        }
        Rec& record = Kind::Database(item);
        Kind::CommonToDatabase(common, record);
        record.Status |= palm::kStatusChanged;
        return true;
    }

    std::string WriteRefusal() override {
        if (!m_util.IsReadOnly()) {
            return {};
        }
        return m_util.GetPath() + ": Palm Desktop 6 databases can be read but not yet written";
    }
    bool storesRowsAtOnce() const override { return true; }
    bool StoreRow(Item& item) override {
        Rec& record = Kind::Database(item);
        if (!m_util.BeginChanges() || !m_util.StoreRecord(record)) {
            m_failures += std::string(m_failures.empty() ? "" : "\n") + "record " +
                          std::to_string(record.RecordId) + ": " + m_util.GetLastError();
            return false;
        }
        return true;
    }
    bool Save() override {
        if (!m_failures.empty()) {
            m_util.RollbackChanges();
            m_lastError = m_failures + "\nnone of this run's changes were written";
            m_failures.clear();
            return false;
        }
        if (!m_util.CommitChanges()) {
            m_lastError = m_util.GetLastError();
            return false;
        }
        return true;
    }

private:
    static void Held(const CommRec& rec, const CommRec& counterpart, CommRec& held) {
        HeldThroughRow<Item, Rec>(PalmFormat::Desktop6, rec, counterpart, &Kind::CommonToDatabase,
                                  &Kind::DatabaseToCommon, Kind::CommMgr::Fields(), held);
    }

    Util m_util;
    Rec m_staged{};
    std::string m_lastError;
    std::string m_failures;
};

} // namespace twinleaf
