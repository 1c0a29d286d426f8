#pragma once

#include <functional>
#include <map>
#include <set>
#include <span>
#include <vector>

#include "ember/glow.h"

// The provider side of Ember+ over a Glow tree: answers GetDirectory, keeps what each consumer
// watches (the directories it asked for and the parameters it subscribed to), hands parameter
// sets and function invocations to the elements' handlers, and pushes changes to the consumers
// that watch them. Elements are never removed from the tree (a node goes offline instead), so
// the watch lists cannot point at freed elements.
namespace vexilo::ember {

class Provider {
public:
    using Send = std::function<void(int consumer, const Bytes& glow)>;

    Provider(Tree& tree, Send send) : m_tree(tree), m_send(std::move(send)) {}

    // One Glow message from `consumer`. False when it is not Glow: the consumer is to be dropped.
    bool Handle(int consumer, std::span<const std::uint8_t> glow);
    void Forget(int consumer);

    // Pushes `fields` of the elements to the consumers that watch them, one message each.
    void Notify(std::span<const Element* const> elements, Fields fields, int except = -1);
    // A new element: pushed with its contents, under its parent, to the parent's watchers.
    void Added(const Element& element);

    // How many consumers watch `element` (tests, diagnostics).
    int Watchers(const Element& element) const;

private:
    struct Watch {
        std::set<const Element*> directories;
        std::set<const Element*> subscribed;
    };
    bool Watches(const Watch& w, const Element& e) const;
    void Request(int consumer, const ember::Request& request);

    Tree& m_tree;
    Send m_send;
    std::map<int, Watch> m_watch;
};

}  // namespace vexilo::ember
