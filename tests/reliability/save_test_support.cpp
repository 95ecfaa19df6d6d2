#include "save_test_support.h"


#include <fstream>
#include <random>
#include <stdexcept>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

int runInChild(const std::function<int()>& work)
{
    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        int code = 125;
        try {
            code = work();
        } catch (...) {
        }
        ::_exit(code);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool becomeNobody()
{
    constexpr uid_t kNobody = 65534;
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0
        && ::geteuid() == kNobody;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    std::string bytes(fs::file_size(path), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::string> hiddenFilesIn(const fs::path& directory)
{
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(directory)) {
        const std::string name = item.path().filename().string();
        if (name.starts_with("."))
            names.push_back(name);
    }
    return names;
}

EntryTable sampleTable(std::size_t rows, std::uint32_t seed)
{
    std::mt19937 random(seed);
    const auto text = [&random](std::size_t maxLength) {
        std::string value(random() % (maxLength + 1), ' ');
        for (char& byte : value) {
            // Any byte but CR and LF; Notes get their line breaks below.
            do
                byte = static_cast<char>(random() % 256);
            while (byte == '\r' || byte == '\n');
        }
        return value;
    };
    EntryTable table;
    for (std::size_t i = 0; i < rows; ++i) {
        Entry entry;
        entry[EntryField::Name] = "Account " + std::to_string(seed) + "/" + std::to_string(i);
        entry[EntryField::Username] = text(12);
        entry[EntryField::Password] = text(16);
        entry[EntryField::Url] = "https://example.org/login?id=" + std::to_string(random());
        entry[EntryField::Other] = text(8);
        entry[EntryField::Notes] = text(20) + "\r\n" + text(20);
        table.insertFirst(std::move(entry));
    }
    return table;
}
