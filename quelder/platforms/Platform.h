#pragma once
// A platform: the 91 card operations behind the Qd* functions, carried out over one way
// of reaching the card (AT commands on a serial port or a proxy's socket, the Gobi
// library, the Mobile Broadband service). Every operation returns a result code.

#include "quelder/QdOperations.h"
#include "quelder/QdResult.h"

#include <cstdint>

namespace GSM {

class Platform {
public:
    virtual ~Platform() = default;

    // Slot 0: opens the way to the card. Slot 1: closes it.
    virtual QdResult Init() = 0;
    virtual QdResult Exit() = 0;

#define QD_PURE_OPERATION(slot, name, parameters, arguments) virtual QdResult name parameters = 0;
    QD_OPERATIONS(QD_PURE_OPERATION)
#undef QD_PURE_OPERATION

    // Outside the client's table: what the device itself asks of the card for its
    // registration (WM_ENABLE_EX_ERRORS and the communicator's polls). Not carried unless
    // a platform says otherwise.
    //
    // Switches the registration and cell-type reports on and has the card report where it
    // stands.
    virtual QdResult QdEnableRegistrationEvents() { return kQdNotSupported; }
    // The 2G and 3G cell types of the cell the card is on (0: not such a cell), for the
    // card that does not report them.
    virtual QdResult QueryCellTypes(int* type2g, int* type3g) { return NotSupported(type2g, type3g); }
    // The 3G cell type, for the cards that do not report it.
    virtual QdResult QueryWcdmaCellType(int* type) { return NotSupported(type); }
    // Selects the SIM's phonebook and reads its figures, once the SIM is ready.
    virtual QdResult InitializePhonebook() { return kQdNotSupported; }

protected:
    // What an operation answers that this platform does not carry.
    template <class... Arguments>
    static QdResult NotSupported(const Arguments&...) noexcept
    {
        return kQdNotSupported;
    }
};

// Overrides an operation with the answer "not supported by this card or platform".
#define QD_NOT_SUPPORTED_OPERATION(slot, name, parameters, arguments) \
    QdResult name parameters override { return NotSupported arguments; }

// Declares an override that the platform implements.
#define QD_OVERRIDE_OPERATION(slot, name, parameters, arguments) QdResult name parameters override;

} // namespace GSM
