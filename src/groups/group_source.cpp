#include "groups/group_source.h"

#include <algorithm>

#include "lang/text_table.h"

namespace varnel {

namespace {

GroupWrite refused() { return {Texts.ManagedGroup}; }

}  // namespace

bool GroupSource::holds(const std::string& name) {
    const std::vector<std::string> all = names();
    return std::find(all.begin(), all.end(), name) != all.end();
}

GroupWrite GroupSource::add(const std::string&, const PlaceSet&) { return refused(); }
GroupWrite GroupSource::change(const std::string&, const PlaceSet&) { return refused(); }
GroupWrite GroupSource::remove(const std::string&) { return refused(); }

}  // namespace varnel
