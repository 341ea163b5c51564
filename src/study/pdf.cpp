#include "study/pdf.hpp"

#include <cctype>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

#include "format/file_system.hpp"
#include "study/section_tools.hpp"

namespace study {

std::optional<std::string> find_chromium(std::string_view search_path) {
#ifdef _WIN32
  (void)search_path;
  return std::nullopt;
#else
  for (const char* name : {"chromium", "chromium-browser"}) {
    std::size_t start = 0;
    while (start <= search_path.size()) {
      std::size_t end = search_path.find(':', start);
      if (end == std::string_view::npos) end = search_path.size();
      const std::string dir(search_path.substr(start, end - start));
      start = end + 1;
      if (dir.empty()) continue;  // the current folder: never searched for a program
      const std::string candidate = dir + "/" + name;
      std::error_code ec;
      if (std::filesystem::is_regular_file(record::file_path(candidate), ec) && ::access(candidate.c_str(), X_OK) == 0)
        return candidate;
    }
  }
  return std::nullopt;
#endif
}

std::string file_url(std::string_view path) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out = "file://";
  for (char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      out += ch;
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

void print_to_pdf(const std::string& browser, const std::string& html, const std::string& pdf) {
#ifdef _WIN32
  (void)browser, (void)html;
  throw StudyError("--pdf " + pdf + ": printing through Chromium is not available on Windows (open the HTML file in "
                   "a browser and print it to PDF)");
#else
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path page = fs::absolute(record::file_path(html), ec);
  const std::string part = temporary_sibling(pdf);
  const fs::path printed = fs::absolute(record::file_path(part), ec);
  const std::string profile = temporary_sibling(pdf + ".browser");
  std::vector<std::string> words = {browser,
                                    "--headless",
                                    "--no-sandbox",
                                    "--disable-gpu",
                                    "--no-first-run",
                                    "--disable-extensions",
                                    "--disable-background-networking",
                                    "--disable-sync",
                                    "--no-pdf-header-footer",
                                    "--user-data-dir=" + record::name_of(fs::absolute(record::file_path(profile), ec)),
                                    "--print-to-pdf=" + record::name_of(printed),
                                    file_url(record::name_of(page))};
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, browser.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  // A browser that has not printed in two minutes never will: it is ended.
  int status = 0;
  bool ended = false;
  if (spawned == 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    for (;;) {
      const pid_t done = ::waitpid(child, &status, WNOHANG);
      if (done == child || (done < 0 && errno != EINTR)) break;
      if (std::chrono::steady_clock::now() > deadline && !ended) {
        ::kill(child, SIGKILL);
        ended = true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  fs::remove_all(record::file_path(profile), ec);
  const auto failed = [&](const std::string& why) {
    fs::remove(record::file_path(part), ec);
    throw StudyError("--pdf " + pdf + ": " + why);
  };
  if (spawned != 0) failed("cannot start " + browser + " (" + std::strerror(spawned) + ")");
  if (ended) failed(browser + " had not printed the page after two minutes");
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    failed(browser + " did not print the page (" +
           (WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                              : "ended by signal " + std::to_string(WTERMSIG(status))) +
           ")");
  if (fs::file_size(printed, ec) == 0 || ec) failed(browser + " wrote no PDF");
  replace_file(part, pdf);
#endif
}

}  // namespace study
