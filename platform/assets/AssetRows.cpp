#include "platform/assets/AssetRows.h"

namespace assets {

foundation::ErrorOr<std::int64_t> insertAssetIntoSavedPhotos(sql::Database& database, const AssetRecord& record) {
    std::int64_t savedPhotos = TRY(database.queryInteger("SELECT id FROM groups WHERE type = 16"));
    {
        auto insert = TRY(database.prepare(
            "INSERT INTO assets (uuid, kind, file_path, extension, orientation, metadata, created, byte_size) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
        insert.bind(1, record.uuid)
            .bind(2, static_cast<std::int64_t>(record.kind))
            .bind(3, record.devicePath)
            .bind(4, record.extension)
            .bind(5, record.orientation)
            .bindReal(7, record.createdSinceReferenceDate)
            .bind(8, record.byteSize);
        if (record.metadataPropertyList.empty()) {
            insert.bindNull(6);
        } else {
            insert.bindBlob(6, std::span(reinterpret_cast<const std::uint8_t*>(record.metadataPropertyList.data()),
                                         record.metadataPropertyList.size()));
        }
        TRY(insert.run());
    }
    std::int64_t assetId = database.lastInsertRowId();
    auto member = TRY(database.prepare(
        "INSERT INTO memberships (group_id, asset_id, position) "
        "VALUES (?1, ?2, (SELECT COALESCE(MAX(position), 0) + 1 FROM memberships WHERE group_id = ?1))"));
    member.bind(1, savedPhotos).bind(2, assetId);
    TRY(member.run());
    return assetId;
}

foundation::ErrorOr<void> advanceFileNumberCounter(sql::Database& database, std::int64_t nextNumber) {
    auto advance = TRY(database.prepare("UPDATE counters SET value = MAX(value, ?) WHERE name = 'next_file_number'"));
    advance.bind(1, nextNumber);
    return advance.run();
}

}  // namespace assets
