#pragma once
// What a check list's text column holds: its title is g_listColumnTitles at
// the kind's number (CReportDataListCtrl::InitList).

namespace qz {

enum class ListColumnKind { MachineName = 0, FileName = 1, MachineId = 2, CustomerName = 3 };

constexpr int ColumnKindNumber(ListColumnKind kind) {
    return static_cast<int>(kind);
}

}  // namespace qz
