#pragma once
// A small record tree that a seeded random source changes the ways record
// files change on a line and off it: lines appended (whole, or a last line
// left open and ended later), files cut short, rewritten in place, replaced by
// a rename, touched, given an older time, deleted and added, folders
// likewise. Every change says what it did, so a failing step can be read
// back and replayed from its seed.

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace qz::test {

class ChangingTree {
  public:
    // The tree lives in root/ReportData; staging (a folder on the same file
    // system, outside the tree) holds files before they are renamed in.
    ChangingTree(std::string root, std::string staging, std::uint64_t seed);

    // A fresh tree of a few machines with a few short files each.
    void Populate();
    // A fresh tree of machines folders with files files of lines records each.
    void Populate(int machines, int files, int lines);

    // One change chosen at random (sometimes several, each to another file);
    // returns what it did.
    std::string Change();

    // The machine folders' names there are now, sorted.
    std::vector<std::string> Machines() const;
    // Every record file's path (files directly in a machine folder).
    std::vector<std::string> Files() const;

    std::mt19937_64& Random() { return m_random; }
    std::string RecordData() const { return m_root + "/ReportData"; }

    // A record line (without its line end) from a small set of values, so
    // keys repeat and exclusions hit.
    std::string RandomRecordLine();
    // Values that records of the tree may hold, to exclude some of them.
    static const std::vector<std::string>& SettingFiles();
    static const std::vector<std::string>& Boards();
    static const std::vector<std::string>& Customers();

  private:
    std::string ChangeOneFile(const std::string& path);
    std::string AddFile(const std::string& machine, int lines);
    std::string AddMachine();
    std::string RemoveMachine();
    std::string RandomFileText(int lines);
    std::string LineEnd();
    std::size_t Pick(std::size_t count);
    bool Chance(double p);

    std::string m_root;
    std::string m_staging;
    std::mt19937_64 m_random;
    int m_nextName = 0;
    // The rest of a last line left open, by file: what a later change
    // appends to end it.
    std::map<std::string, std::string> m_openLineRest;
};

}  // namespace qz::test
