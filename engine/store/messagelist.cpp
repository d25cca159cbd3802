#include "messagelist.h"

#include <algorithm>

#include "smsqueue.h"

namespace nimbra {

void TMessageList::AddObserver(MessageListObserver* observer) {
    observers_.push_back(observer);
}

void TMessageList::RemoveObserver(MessageListObserver* observer) {
    std::erase(observers_, observer);
}

void TMessageList::Fill(const TSmsQueue* queue) {
    for (MessageListObserver* observer : observers_)
        observer->ListAboutToBeReset();
    queue_ = queue;
    listIds_.clear();
    if (queue) {
        listIds_.reserve(static_cast<std::size_t>(queue->Count()));
        for (int i = 0; i < queue->Count(); ++i)
            listIds_.push_back(queue->At(i).listId);
    }
    for (MessageListObserver* observer : observers_)
        observer->ListReset();
}

void TMessageList::Append(int listId) {
    for (MessageListObserver* observer : observers_)
        observer->RowAboutToBeAdded(RowCount());
    listIds_.push_back(listId);
    for (MessageListObserver* observer : observers_)
        observer->RowAdded(RowCount() - 1);
}

void TMessageList::RemoveListId(int listId) {
    const int row = RowOfListId(listId);
    if (row < 0)
        return;
    for (MessageListObserver* observer : observers_)
        observer->RowAboutToBeRemoved(row);
    listIds_.erase(listIds_.begin() + row);
    for (MessageListObserver* observer : observers_)
        observer->RowRemoved(row);
}

void TMessageList::Changed(int listId) {
    const int row = RowOfListId(listId);
    if (row < 0)
        return;
    for (MessageListObserver* observer : observers_)
        observer->RowChanged(row);
}

int TMessageList::ListIdAt(int row) const {
    if (row < 0 || row >= RowCount())
        return -1;
    return listIds_[static_cast<std::size_t>(row)];
}

int TMessageList::RowOfListId(int listId) const {
    // Rows keep the queue's order, in which list ids only grow.
    const auto it = std::lower_bound(listIds_.begin(), listIds_.end(), listId);
    if (it == listIds_.end() || *it != listId)
        return -1;
    return static_cast<int>(it - listIds_.begin());
}

}  // namespace nimbra
