#pragma once

// The rows of the message list as a model: one row per message of the folder shown, each row
// holding the message's list id. A view reads the messages through the shown queue and keeps
// its own sort order, selection and preview; the model only tells it what changed.

#include <vector>

namespace nimbra {

class TSmsQueue;

// Told of every change, before and after, so that an item model can announce it in pairs.
// Observers must not change the list or the queue from inside.
class MessageListObserver {
public:
    virtual ~MessageListObserver() = default;
    // Every row changes: the list is emptied or filled from another folder.
    virtual void ListAboutToBeReset() {}
    virtual void ListReset() {}
    virtual void RowAboutToBeAdded(int /*row*/) {}
    virtual void RowAdded(int /*row*/) {}
    virtual void RowAboutToBeRemoved(int /*row*/) {}
    virtual void RowRemoved(int /*row*/) {}
    virtual void RowChanged(int /*row*/) {}
};

class TMessageList {
public:
    void AddObserver(MessageListObserver* observer);
    void RemoveObserver(MessageListObserver* observer);

    // Shows queue's messages in its order; null empties the list.
    void Fill(const TSmsQueue* queue);
    void Clear() { Fill(nullptr); }
    void Append(int listId);
    void RemoveListId(int listId);
    void Changed(int listId);

    // The queue shown, or null.
    const TSmsQueue* Queue() const { return queue_; }
    int RowCount() const { return static_cast<int>(listIds_.size()); }
    // The list id in a row, -1 for a row that does not exist.
    int ListIdAt(int row) const;
    int RowOfListId(int listId) const;

private:
    const TSmsQueue* queue_ = nullptr;
    std::vector<int> listIds_;
    std::vector<MessageListObserver*> observers_;
};

}  // namespace nimbra
