// network.h - the network object: a grammar built for one acoustic model.
#ifndef ENGINE_NETWORK_NETWORK_H
#define ENGINE_NETWORK_NETWORK_H

#include "base/recognition_grammar.h"
#include "hapi.h"

#include <memory>

struct hapi_net {
    hapi_hmmset *hmms = nullptr;
    std::shared_ptr<const engine::Grammar> grammar;
};

#endif  // ENGINE_NETWORK_NETWORK_H
