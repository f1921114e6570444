#include "rig/TRigConnection.h"

#include <hamlib/rig.h>

#include <algorithm>
#include <mutex>

namespace {

// A slow or absent radio answers within this bound, so a poll never takes long.
constexpr const char* kTimeoutMs = "1000";
constexpr const char* kRetries = "0";

void Quiet() {
    static std::once_flag once;
    std::call_once(once, [] {
        rig_set_debug(RIG_DEBUG_NONE);
        rig_load_all_backends();
    });
}

bool SetConf(RIG* rig, const char* name, const std::string& value) {
    const token_t token = rig_token_lookup(rig, name);
    return token != RIG_CONF_END && rig_set_conf(rig, token, value.c_str()) == RIG_OK;
}

// Hamlib's message for a status: the last line of rigerror's text (which
// may carry the library's recent debug lines before it).
std::string Reason(int rc) {
    std::string text = rigerror(rc);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const size_t lineBreak = text.find_last_of("\r\n");
    return lineBreak == std::string::npos ? text : text.substr(lineBreak + 1);
}

int AddModel(const rig_caps* caps, rig_ptr_t data) {
    auto* models = static_cast<std::vector<TRigConnection::TModel>*>(data);
    models->push_back({static_cast<int>(caps->rig_model), caps->mfg_name ? caps->mfg_name : "",
                       caps->model_name ? caps->model_name : ""});
    return 1;  // go on
}

}  // namespace

bool TRigConnection::Open(int model, const std::string& port, int speed, std::string& error) {
    Close();
    Quiet();
    RIG* rig = rig_init(static_cast<rig_model_t>(model));
    if (rig == nullptr) {
        error = "Hamlib knows no rig model " + std::to_string(model);
        return false;
    }
    SetConf(rig, "timeout", kTimeoutMs);
    SetConf(rig, "retry", kRetries);
    if (!port.empty())
        SetConf(rig, "rig_pathname", port);
    if (speed > 0)
        SetConf(rig, "serial_speed", std::to_string(speed));
    const int rc = rig_open(rig);
    if (rc != RIG_OK) {
        error = Reason(rc);
        rig_cleanup(rig);
        return false;
    }
    rig_ = rig;
    return true;
}

bool TRigConnection::Read(uint64_t& hz, std::string& mode, std::string& error) {
    if (rig_ == nullptr) {
        error = "not open";
        return false;
    }
    freq_t freq = 0;
    rmode_t rmode = RIG_MODE_NONE;
    pbwidth_t width = 0;
    int rc = rig_get_freq(rig_, RIG_VFO_CURR, &freq);
    if (rc == RIG_OK)
        rc = rig_get_mode(rig_, RIG_VFO_CURR, &rmode, &width);
    if (rc != RIG_OK || freq < 0) {
        error = rc != RIG_OK ? Reason(rc) : "no frequency";
        return false;
    }
    hz = static_cast<uint64_t>(freq + 0.5);
    mode = rig_strrmode(rmode);
    return true;
}

void TRigConnection::Close() {
    if (rig_ != nullptr) {
        rig_close(rig_);
        rig_cleanup(rig_);
        rig_ = nullptr;
    }
}

std::vector<TRigConnection::TModel> TRigConnection::Models() {
    Quiet();
    std::vector<TModel> models;
    rig_list_foreach(&AddModel, &models);
    std::sort(models.begin(), models.end(),
              [](const TModel& a, const TModel& b) { return a.Number < b.Number; });
    return models;
}

std::string TRigConnection::Version() {
    return hamlib_version2 ? hamlib_version2 : hamlib_version;
}
