#include "tests/ui/UiTestSupport.h"

#include <wx/app.h>
#include <wx/evtloop.h>

namespace qz::test {

void ProcessEvents() {
    for (int i = 0; i < 5; ++i) {
        wxTheApp->ProcessPendingEvents();
        if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
            while (loop->Pending())
                loop->Dispatch();
        }
    }
}

}  // namespace qz::test
