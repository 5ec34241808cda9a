#pragma once

#include "model/AppModel.h"

#include <exception>
#include <utility>

namespace orvane {

// The model's private session path and error line, as its operations use them.
struct AppModelTestAccess {
    template <typename Work>
    static auto onSession(AppModel& model, Work&& work)
    {
        return model.onSession(std::forward<Work>(work));
    }

    static void showError(AppModel& model, const std::exception_ptr& error) { model.showError(error); }

    static void setStatus(AppModel& model, const QString& status) { model.setStatus(status); }

    static void markProviderOperationTerminal(AppModel& model, const QUuid& id)
    {
        model.markProviderOperationTerminal(id);
    }
};

} // namespace orvane
