// TEMPORARY, until the fact counting lands: the two members of
// records/FileFacts.h that the store's tests use. Removed when core defines
// them.
#include "records/FileFacts.h"

namespace qz {

std::uint32_t TextTable::Intern(std::string_view text) {
    if (const OkNg* found = m_numbers.Find(text)) {
        return static_cast<std::uint32_t>(found->ok);
    }
    m_numbers.Slot(text).ok = static_cast<std::int64_t>(m_texts.size());
    m_texts.emplace_back(text);
    return static_cast<std::uint32_t>(m_texts.size() - 1);
}

}  // namespace qz
