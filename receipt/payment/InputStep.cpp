#include "InputStep.h"

namespace Vrm_zel00000 {
extern "C" {
const char* const arValLabels[kTipoTeclCount] = {"", "lblInputReceb2"};
const char* const arLabels[kTipoTeclCount] = {"", "lblNrCupom"};
const char* const MsgInputStep[kInputStepCount] = {
    "",         "",           "isCredito3",  "isCredito3",  "isCredito3", "isCredito3",
    "isMoeda1", "isCredito3", "isConvenio1", "isConvenio2", "isCredito3"};
const char* const TeclMsgInputStep[kInputStepCount] = {"",
                                                       "",
                                                       "TeclisCredito3",
                                                       "TeclisCredito3",
                                                       "TeclisCredito3",
                                                       "TeclisCredito3",
                                                       "TeclisMoeda1",
                                                       "TeclisCredito3",
                                                       "TeclisConvenio1",
                                                       "TeclisConvenio2",
                                                       "TeclisCredito3"};
}
} // namespace Vrm_zel00000
