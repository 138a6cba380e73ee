#include "own_files.h"

#include <algorithm>
#include <system_error>

namespace {

std::filesystem::path Resolved(const std::filesystem::path& path)
{
    std::error_code ignored;
    // A folder written with its trailing separator names the same folder.
    return std::filesystem::weakly_canonical(path.has_filename() ? path : path.parent_path(), ignored);
}

} // namespace

void DropOwnFiles(const std::filesystem::path& folder, std::vector<std::filesystem::path>& files,
                  const std::vector<std::filesystem::path>& ownFiles, const std::filesystem::path& ownFolder)
{
    if (files.empty())
        return;
    const std::filesystem::path where = Resolved(folder);
    if (!ownFolder.empty() && Resolved(ownFolder) == where) {
        files.clear();
        return;
    }
    for (const std::filesystem::path& own : ownFiles) {
        const std::filesystem::path resolved = Resolved(own);
        if (resolved.parent_path() == where)
            std::erase_if(files,
                          [&](const std::filesystem::path& file) { return file.filename() == resolved.filename(); });
    }
}
