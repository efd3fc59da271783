// The determinism check's I/O floor as a process of its own: replays a plan
// written by quillmere-bench-check (open both archives, read the headers,
// every directory node and every block the check's runs read, create the run
// folders, write every landblock file) with raw system calls and nothing
// else. Timed as a whole process beside the check.
//
//     quillmere-bench-check-floor PLAN OUTPUT_ROOT

#include "check_io_plan.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {

int fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "quillmere-bench-check-floor: %s %s\n", what, detail.c_str());
    return 1;
}

bool read_at(int fd, std::uint8_t* out, std::size_t length, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd, out + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool write_file(const std::filesystem::path& path, const std::vector<std::uint8_t>& content, std::size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t wrote = ::write(fd, content.data() + done, size - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote < 0) break;
        done += static_cast<std::size_t>(wrote);
    }
    return ::close(fd) == 0 && done == size;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: quillmere-bench-check-floor PLAN OUTPUT_ROOT\n");
        return 2;
    }
    const auto plan = quillmere_bench::load_plan(argv[1]);
    if (!plan) return fail("cannot load the plan", argv[1]);
    const std::filesystem::path root = argv[2];

    const std::array<const std::string*, 2> paths{&plan->portal, &plan->cell};
    std::array<int, 2> fds{-1, -1};
    for (std::size_t a = 0; a < 2; ++a) {
        fds[a] = ::open(paths[a]->c_str(), O_RDONLY | O_CLOEXEC);
        if (fds[a] < 0) return fail("cannot open", *paths[a]);
    }
    std::uint32_t longest = 0;
    for (const auto& read : plan->reads) longest = std::max(longest, read.length);
    std::vector<std::uint8_t> scratch(longest);
    for (const auto& read : plan->reads) {
        if (!read_at(fds[read.archive], scratch.data(), read.length, read.offset)) {
            return fail("a planned read failed in", *paths[read.archive]);
        }
    }
    for (const int fd : fds) ::close(fd);

    for (const auto& directory : plan->directories) {
        std::error_code error;
        std::filesystem::create_directories(root / directory, error);
        if (error) return fail("cannot create", (root / directory).string());
    }
    std::uint64_t largest = 0;
    for (const auto& write : plan->writes) largest = std::max(largest, write.size);
    const std::vector<std::uint8_t> content(largest, '\n');
    for (const auto& write : plan->writes) {
        if (!write_file(root / write.path, content, write.size)) return fail("cannot write", write.path);
    }
    return 0;
}
