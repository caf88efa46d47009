// Reading the photo store's index, and the small writes on groups and album
// membership.
#include "platform/assets/PhotoStore.h"

#include "platform/assets/AssetURL.h"
#include "platform/assets/ReferenceDate.h"
#include "platform/assets/SqliteDatabase.h"
#include "platform/assets/StoreLayout.h"

namespace assets {

namespace {

using foundation::ErrorCode;
using foundation::makeError;

constexpr const char* kAssetColumns =
    "a.id, a.uuid, a.kind, a.file_path, a.extension, a.orientation, a.metadata, a.created, a.byte_size";
constexpr const char* kGroupColumns = "g.id, g.uuid, g.name, g.type, g.created";

AssetRecord assetFromRow(const sql::Statement& row) {
    AssetRecord record;
    record.id = row.columnInt64(0);
    record.uuid = row.columnText(1);
    record.kind = row.columnInt64(2) == 1 ? AssetKind::Video : AssetKind::Photo;
    record.devicePath = row.columnText(3);
    record.extension = row.columnText(4);
    record.orientation = row.columnInt64(5);
    record.metadataPropertyList = row.columnIsNull(6) ? std::string() : row.columnBlob(6);
    record.createdSinceReferenceDate = row.columnDouble(7);
    record.byteSize = row.columnInt64(8);
    return record;
}

GroupRecord groupFromRow(const sql::Statement& row) {
    GroupRecord record;
    record.id = row.columnInt64(0);
    record.uuid = row.columnText(1);
    record.name = row.columnText(2);
    record.type = static_cast<ALAssetsGroupType>(row.columnInt64(3));
    record.createdSinceReferenceDate = row.columnDouble(4);
    return record;
}

template <typename Record, typename FromRow>
ErrorOr<std::vector<Record>> collect(sql::Statement& statement, FromRow fromRow) {
    std::vector<Record> records;
    while (TRY(statement.step())) records.push_back(fromRow(statement));
    return records;
}

template <typename Record, typename FromRow>
ErrorOr<std::optional<Record>> first(sql::Statement& statement, FromRow fromRow) {
    if (!TRY(statement.step())) return std::optional<Record>();
    return std::optional<Record>(fromRow(statement));
}

std::string assetQuery(const char* tail) { return std::string("SELECT ") + kAssetColumns + " FROM assets a " + tail; }
std::string groupQuery(const char* tail) { return std::string("SELECT ") + kGroupColumns + " FROM groups g " + tail; }

ErrorOr<GroupRecord> insertGroup(sql::Database& database, std::string_view name, ALAssetsGroupType type) {
    GroupRecord record{0, makeUUID(), std::string(name), type, secondsSinceReferenceDateNow()};
    auto insert = TRY(database.prepare("INSERT INTO groups (uuid, name, type, created) VALUES (?, ?, ?, ?)"));
    insert.bind(1, record.uuid)
        .bind(2, record.name)
        .bind(3, std::int64_t{type})
        .bindReal(4, record.createdSinceReferenceDate);
    TRY(insert.run());
    record.id = database.lastInsertRowId();
    return record;
}

}  // namespace

ErrorOr<PhotoStore::GroupList> PhotoStore::allGroups() {
    std::lock_guard lock(mutex_);
    TRY(ensureOpenLocked());
    // PRAGMA data_version changes whenever another connection (of this
    // process or another) commits; this connection's own group changes clear
    // the list where they are made.
    auto version = TRY(database_->queryInteger("PRAGMA data_version"));
    if (cachedGroups_ && version == cachedGroupsDataVersion_) return cachedGroups_;
    auto statement = TRY(database_->prepare(groupQuery("ORDER BY g.id")));
    auto records = TRY(collect<GroupRecord>(statement, groupFromRow));
    cachedGroups_ = std::make_shared<const std::vector<GroupRecord>>(std::move(records));
    cachedGroupsDataVersion_ = version;
    return cachedGroups_;
}

ErrorOr<std::vector<GroupRecord>> PhotoStore::groups(ALAssetsGroupType types) {
    auto all = TRY(allGroups());
    std::vector<GroupRecord> matching;
    for (const auto& record : *all)
        if (record.type & types) matching.push_back(record);
    return matching;
}

ErrorOr<std::optional<GroupRecord>> PhotoStore::group(std::int64_t groupId) {
    std::lock_guard lock(mutex_);
    TRY(ensureOpenLocked());
    auto statement = TRY(database_->prepare(groupQuery("WHERE g.id = ?")));
    statement.bind(1, groupId);
    return first<GroupRecord>(statement, groupFromRow);
}

ErrorOr<std::optional<GroupRecord>> PhotoStore::firstGroupNamed(std::string_view name) {
    std::lock_guard lock(mutex_);
    TRY(ensureOpenLocked());
    auto statement = TRY(database_->prepare(groupQuery("WHERE g.name = ? ORDER BY g.id LIMIT 1")));
    statement.bind(1, name);
    return first<GroupRecord>(statement, groupFromRow);
}

ErrorOr<std::optional<AssetRecord>> PhotoStore::asset(std::int64_t assetId) {
    std::lock_guard lock(mutex_);
    TRY(ensureOpenLocked());
    auto statement = TRY(database_->prepare(assetQuery("WHERE a.id = ?")));
    statement.bind(1, assetId);
    return first<AssetRecord>(statement, assetFromRow);
}

ErrorOr<std::optional<AssetRecord>> PhotoStore::assetWithUUID(std::string_view uuid) {
    std::lock_guard lock(mutex_);
    TRY(ensureOpenLocked());
    auto statement = TRY(database_->prepare(assetQuery("WHERE a.uuid = ?")));
    statement.bind(1, uuid);
    return first<AssetRecord>(statement, assetFromRow);
}

ErrorOr<std::vector<AssetRecord>> PhotoStore::assetsInGroup(std::int64_t groupId) {
    std::lock_guard lock(mutex_);
    TRY(ensureOpenLocked());
    auto statement = TRY(database_->prepare(
        assetQuery("JOIN memberships m ON m.asset_id = a.id WHERE m.group_id = ? ORDER BY m.position")));
    statement.bind(1, groupId);
    return collect<AssetRecord>(statement, assetFromRow);
}

ErrorOr<std::int64_t> PhotoStore::numberOfAssets(std::int64_t groupId) {
    std::lock_guard lock(mutex_);
    TRY(ensureOpenLocked());
    auto statement = TRY(database_->prepare("SELECT COUNT(*) FROM memberships WHERE group_id = ?"));
    statement.bind(1, groupId);
    // COUNT(*) always answers one row.
    TRY(statement.step());
    return statement.columnInt64(0);
}

ErrorOr<std::vector<GroupRecord>> PhotoStore::groupsContaining(std::int64_t assetId) {
    std::lock_guard lock(mutex_);
    TRY(ensureOpenLocked());
    auto statement = TRY(
        database_->prepare(groupQuery("JOIN memberships m ON m.group_id = g.id WHERE m.asset_id = ? ORDER BY g.id")));
    statement.bind(1, assetId);
    return collect<GroupRecord>(statement, groupFromRow);
}

ErrorOr<std::optional<GroupRecord>> PhotoStore::createAlbumUnlessNameTaken(std::string_view name) {
    if (name.empty()) return std::optional<GroupRecord>();
    std::lock_guard lock(mutex_);
    TRY(ensureOpenLocked());
    auto transaction = TRY(sql::WriteTransaction::begin(*database_));
    {
        auto taken = TRY(database_->prepare("SELECT 1 FROM groups WHERE name = ? LIMIT 1"));
        taken.bind(1, name);
        if (TRY(taken.step())) return std::optional<GroupRecord>();
    }
    auto record = TRY(insertGroup(*database_, name, ALAssetsGroupAlbum));
    cachedGroups_.reset();
    TRY(transaction.commit());
    return std::optional<GroupRecord>(std::move(record));
}

ErrorOr<GroupRecord> PhotoStore::createGroup(std::string_view name, ALAssetsGroupType type) {
    bool creatable = type == ALAssetsGroupAlbum || type == ALAssetsGroupEvent || type == ALAssetsGroupFaces ||
                     type == ALAssetsGroupPhotoStream;
    if (!creatable)
        return makeError(ErrorCode::InvalidArgument, "groups of type " + std::to_string(type) + " cannot be created");
    std::lock_guard lock(mutex_);
    TRY(ensureOpenLocked());
    auto transaction = TRY(sql::WriteTransaction::begin(*database_));
    auto record = TRY(insertGroup(*database_, name, type));
    cachedGroups_.reset();
    TRY(transaction.commit());
    return record;
}

ErrorOr<bool> PhotoStore::renameGroup(std::int64_t groupId, std::string_view name) {
    std::lock_guard lock(mutex_);
    TRY(ensureOpenLocked());
    auto rename = TRY(database_->prepare("UPDATE groups SET name = ? WHERE id = ?"));
    rename.bind(1, name).bind(2, groupId);
    TRY(rename.run());
    cachedGroups_.reset();
    return database_->changes() > 0;
}

ErrorOr<PhotoStore::Membership> PhotoStore::addAssetToGroup(std::int64_t assetId, std::int64_t groupId) {
    std::lock_guard lock(mutex_);
    TRY(ensureOpenLocked());
    auto transaction = TRY(sql::WriteTransaction::begin(*database_));
    {
        auto check = TRY(database_->prepare(
            "SELECT (SELECT type FROM groups WHERE id = ?1), EXISTS (SELECT 1 FROM assets WHERE id = ?2), "
            "EXISTS (SELECT 1 FROM memberships WHERE group_id = ?1 AND asset_id = ?2)"));
        check.bind(1, groupId).bind(2, assetId);
        // The three subqueries always answer one row.
        TRY(check.step());
        bool groupExists = !check.columnIsNull(0);
        auto type = static_cast<ALAssetsGroupType>(check.columnInt64(0));
        if (!groupExists || !isEditableGroupType(type) || check.columnInt64(1) == 0) return Membership::Refused;
        if (check.columnInt64(2) != 0) return Membership::AlreadyMember;
    }
    auto insert = TRY(database_->prepare(
        "INSERT INTO memberships (group_id, asset_id, position) "
        "VALUES (?1, ?2, (SELECT COALESCE(MAX(position), 0) + 1 FROM memberships WHERE group_id = ?1))"));
    insert.bind(1, groupId).bind(2, assetId);
    TRY(insert.run());
    TRY(transaction.commit());
    return Membership::Added;
}

ErrorOr<bool> PhotoStore::removeAssetFromGroup(std::int64_t assetId, std::int64_t groupId) {
    std::lock_guard lock(mutex_);
    TRY(ensureOpenLocked());
    auto remove = TRY(
        database_->prepare("DELETE FROM memberships WHERE group_id = ?1 AND asset_id = ?2 "
                           "AND (SELECT type FROM groups WHERE id = ?1) = 2"));
    remove.bind(1, groupId).bind(2, assetId);
    TRY(remove.run());
    return database_->changes() > 0;
}

}  // namespace assets
