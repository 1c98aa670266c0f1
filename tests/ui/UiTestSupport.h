#pragma once
// Helpers of the UI tests: a record-folder tree under a redirected home, and
// the data paths restored after each main dialog (its constructor resolves
// them, once per process in the program).

#include <memory>
#include <string>
#include <string_view>

#include "report/DataPaths.h"
#include "tests/support/TestSupport.h"

namespace qz::test {

// Lets a test resolve the data paths again: they come back as they were.
class DataPathsRestorer {
  public:
    DataPathsRestorer()
        : m_data(g_strReportDataPath),
          m_customers(g_strCustomerListPath),
          m_html(g_strReportHtmlPath),
          m_js(g_strReportJsPath) {}
    ~DataPathsRestorer() {
        g_strReportDataPath = m_data;
        g_strCustomerListPath = m_customers;
        g_strReportHtmlPath = m_html;
        g_strReportJsPath = m_js;
        g_machineFolderNames.clear();
    }

  private:
    std::string m_data, m_customers, m_html, m_js;
};

// The data root below the redirected documents folder.
class DataTree {
  public:
    static constexpr std::string_view kRoot = "home/Documents/Norvale/TavriloIC/";

    const HomeRedirect& home() const { return m_home; }

    std::string Write(std::string_view rel, std::string_view bytes) const {
        return m_home.tempDir().Write(std::string(kRoot) + std::string(rel), bytes);
    }
    std::string MakeDir(std::string_view rel) const {
        return m_home.tempDir().MakeDir(std::string(kRoot) + std::string(rel));
    }

  private:
    HomeRedirect m_home;
};

// Drains the event queue a few times (the tests run without a main loop).
void ProcessEvents();

}  // namespace qz::test
