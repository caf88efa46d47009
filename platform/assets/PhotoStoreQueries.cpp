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
    for (;;) {
        auto row = statement.step();
        if (!row) return row.error();
        if (!row.value()) return records;
        records.push_back(fromRow(statement));
    }
}

template <typename Record, typename FromRow>
ErrorOr<std::optional<Record>> first(sql::Statement& statement, FromRow fromRow) {
    auto row = statement.step();
    if (!row) return row.error();
    if (!row.value()) return std::optional<Record>();
    return std::optional<Record>(fromRow(statement));
}

std::string assetQuery(const char* tail) { return std::string("SELECT ") + kAssetColumns + " FROM assets a " + tail; }
std::string groupQuery(const char* tail) { return std::string("SELECT ") + kGroupColumns + " FROM groups g " + tail; }

ErrorOr<GroupRecord> insertGroup(sql::Database& database, std::string_view name, ALAssetsGroupType type) {
    GroupRecord record{0, makeUUID(), std::string(name), type, secondsSinceReferenceDateNow()};
    auto insert = database.prepare("INSERT INTO groups (uuid, name, type, created) VALUES (?, ?, ?, ?)");
    if (!insert) return insert.error();
    insert->bind(1, record.uuid).bind(2, record.name).bind(3, std::int64_t{type}).bindReal(4, record.createdSinceReferenceDate);
    auto inserted = insert->run();
    if (!inserted) return inserted.error();
    record.id = database.lastInsertRowId();
    return record;
}

}  // namespace

#define OPEN_OR_RETURN()                       \
    std::lock_guard lock(mutex_);              \
    if (auto opened = ensureOpenLocked(); !opened) return opened.error()

ErrorOr<PhotoStore::GroupList> PhotoStore::allGroups() {
    OPEN_OR_RETURN();
    // PRAGMA data_version changes whenever another connection (of this
    // process or another) commits; this connection's own group changes clear
    // the list where they are made.
    auto version = database_->queryInteger("PRAGMA data_version");
    if (!version) return version.error();
    if (cachedGroups_ && version.value() == cachedGroupsDataVersion_) return cachedGroups_;
    auto statement = database_->prepare(groupQuery("ORDER BY g.id"));
    if (!statement) return statement.error();
    auto records = collect<GroupRecord>(statement.value(), groupFromRow);
    if (!records) return records.error();
    cachedGroups_ = std::make_shared<const std::vector<GroupRecord>>(std::move(records).value());
    cachedGroupsDataVersion_ = version.value();
    return cachedGroups_;
}

ErrorOr<std::vector<GroupRecord>> PhotoStore::groups(ALAssetsGroupType types) {
    auto all = allGroups();
    if (!all) return all.error();
    std::vector<GroupRecord> matching;
    for (const auto& record : *all.value())
        if (record.type & types) matching.push_back(record);
    return matching;
}

ErrorOr<std::optional<GroupRecord>> PhotoStore::group(std::int64_t groupId) {
    OPEN_OR_RETURN();
    auto statement = database_->prepare(groupQuery("WHERE g.id = ?"));
    if (!statement) return statement.error();
    statement->bind(1, groupId);
    return first<GroupRecord>(statement.value(), groupFromRow);
}

ErrorOr<std::optional<GroupRecord>> PhotoStore::firstGroupNamed(std::string_view name) {
    OPEN_OR_RETURN();
    auto statement = database_->prepare(groupQuery("WHERE g.name = ? ORDER BY g.id LIMIT 1"));
    if (!statement) return statement.error();
    statement->bind(1, name);
    return first<GroupRecord>(statement.value(), groupFromRow);
}

ErrorOr<std::optional<AssetRecord>> PhotoStore::asset(std::int64_t assetId) {
    OPEN_OR_RETURN();
    auto statement = database_->prepare(assetQuery("WHERE a.id = ?"));
    if (!statement) return statement.error();
    statement->bind(1, assetId);
    return first<AssetRecord>(statement.value(), assetFromRow);
}

ErrorOr<std::optional<AssetRecord>> PhotoStore::assetWithUUID(std::string_view uuid) {
    OPEN_OR_RETURN();
    auto statement = database_->prepare(assetQuery("WHERE a.uuid = ?"));
    if (!statement) return statement.error();
    statement->bind(1, uuid);
    return first<AssetRecord>(statement.value(), assetFromRow);
}

ErrorOr<std::vector<AssetRecord>> PhotoStore::assetsInGroup(std::int64_t groupId) {
    OPEN_OR_RETURN();
    auto statement = database_->prepare(
        assetQuery("JOIN memberships m ON m.asset_id = a.id WHERE m.group_id = ? ORDER BY m.position"));
    if (!statement) return statement.error();
    statement->bind(1, groupId);
    return collect<AssetRecord>(statement.value(), assetFromRow);
}

ErrorOr<std::int64_t> PhotoStore::numberOfAssets(std::int64_t groupId) {
    OPEN_OR_RETURN();
    auto statement = database_->prepare("SELECT COUNT(*) FROM memberships WHERE group_id = ?");
    if (!statement) return statement.error();
    statement->bind(1, groupId);
    auto row = statement->step();
    if (!row) return row.error();
    return statement->columnInt64(0);
}

ErrorOr<std::vector<GroupRecord>> PhotoStore::groupsContaining(std::int64_t assetId) {
    OPEN_OR_RETURN();
    auto statement =
        database_->prepare(groupQuery("JOIN memberships m ON m.group_id = g.id WHERE m.asset_id = ? ORDER BY g.id"));
    if (!statement) return statement.error();
    statement->bind(1, assetId);
    return collect<GroupRecord>(statement.value(), groupFromRow);
}

ErrorOr<std::optional<GroupRecord>> PhotoStore::createAlbumUnlessNameTaken(std::string_view name) {
    if (name.empty()) return std::optional<GroupRecord>();
    OPEN_OR_RETURN();
    auto transaction = sql::WriteTransaction::begin(*database_);
    if (!transaction) return transaction.error();
    {
        auto taken = database_->prepare("SELECT 1 FROM groups WHERE name = ? LIMIT 1");
        if (!taken) return taken.error();
        taken->bind(1, name);
        auto row = taken->step();
        if (!row) return row.error();
        if (row.value()) return std::optional<GroupRecord>();
    }
    auto record = insertGroup(*database_, name, ALAssetsGroupAlbum);
    if (!record) return record.error();
    cachedGroups_.reset();
    auto committed = transaction->commit();
    if (!committed) return committed.error();
    return std::optional<GroupRecord>(std::move(record).value());
}

ErrorOr<GroupRecord> PhotoStore::createGroup(std::string_view name, ALAssetsGroupType type) {
    bool creatable = type == ALAssetsGroupAlbum || type == ALAssetsGroupEvent || type == ALAssetsGroupFaces ||
                     type == ALAssetsGroupPhotoStream;
    if (!creatable) return makeError(ErrorCode::InvalidArgument, "groups of type " + std::to_string(type) +
                                                                     " cannot be created");
    OPEN_OR_RETURN();
    auto transaction = sql::WriteTransaction::begin(*database_);
    if (!transaction) return transaction.error();
    auto record = insertGroup(*database_, name, type);
    if (!record) return record.error();
    cachedGroups_.reset();
    auto committed = transaction->commit();
    if (!committed) return committed.error();
    return record;
}

ErrorOr<bool> PhotoStore::renameGroup(std::int64_t groupId, std::string_view name) {
    OPEN_OR_RETURN();
    auto rename = database_->prepare("UPDATE groups SET name = ? WHERE id = ?");
    if (!rename) return rename.error();
    rename->bind(1, name).bind(2, groupId);
    auto renamed = rename->run();
    if (!renamed) return renamed.error();
    cachedGroups_.reset();
    return database_->changes() > 0;
}

ErrorOr<PhotoStore::Membership> PhotoStore::addAssetToGroup(std::int64_t assetId, std::int64_t groupId) {
    OPEN_OR_RETURN();
    auto transaction = sql::WriteTransaction::begin(*database_);
    if (!transaction) return transaction.error();
    {
        auto check = database_->prepare(
            "SELECT (SELECT type FROM groups WHERE id = ?1), EXISTS (SELECT 1 FROM assets WHERE id = ?2), "
            "EXISTS (SELECT 1 FROM memberships WHERE group_id = ?1 AND asset_id = ?2)");
        if (!check) return check.error();
        check->bind(1, groupId).bind(2, assetId);
        auto row = check->step();
        if (!row) return row.error();
        bool groupExists = !check->columnIsNull(0);
        auto type = static_cast<ALAssetsGroupType>(check->columnInt64(0));
        if (!groupExists || !isEditableGroupType(type) || check->columnInt64(1) == 0) return Membership::Refused;
        if (check->columnInt64(2) != 0) return Membership::AlreadyMember;
    }
    auto insert = database_->prepare(
        "INSERT INTO memberships (group_id, asset_id, position) "
        "VALUES (?1, ?2, (SELECT COALESCE(MAX(position), 0) + 1 FROM memberships WHERE group_id = ?1))");
    if (!insert) return insert.error();
    insert->bind(1, groupId).bind(2, assetId);
    auto inserted = insert->run();
    if (!inserted) return inserted.error();
    auto committed = transaction->commit();
    if (!committed) return committed.error();
    return Membership::Added;
}

ErrorOr<bool> PhotoStore::removeAssetFromGroup(std::int64_t assetId, std::int64_t groupId) {
    OPEN_OR_RETURN();
    auto remove = database_->prepare(
        "DELETE FROM memberships WHERE group_id = ?1 AND asset_id = ?2 "
        "AND (SELECT type FROM groups WHERE id = ?1) = 2");
    if (!remove) return remove.error();
    remove->bind(1, groupId).bind(2, assetId);
    auto removed = remove->run();
    if (!removed) return removed.error();
    return database_->changes() > 0;
}

}  // namespace assets
