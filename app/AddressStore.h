// The places of interview kept in jyx_address (a GBK table): the place
// manager adds and deletes them, the transcript editor offers them.
#pragma once

#include "app/Database.h"
#include "app/OfficerStore.h" // Outcome

#include <string>
#include <vector>

class AddressStore {
public:
    explicit AddressStore(Database& db) : m_db(db) {}

    // Place texts in the order the table returns them (the place manager).
    std::vector<std::string> names();
    // Place texts in the order they were added (the editor's combo box).
    std::vector<std::string> namesInAddingOrder();

    // Adds a place for `unitName` at the current time. Duplicates are allowed.
    Outcome add(const std::string& name, const std::string& unitName);
    // Deletes every place with this text.
    Outcome remove(const std::string& name);

private:
    std::vector<std::string> read(const std::string& sql);

    Database& m_db;
};
