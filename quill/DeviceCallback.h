// Removal callbacks: a small body interface the SDK clones and keeps, and a
// body that calls a member function of a client object.
#pragma once

struct QuillDeviceCallback;

namespace Quill {

class IQuillDevice;

template <class P>
class Base_Callback1Body {
  public:
    virtual ~Base_Callback1Body() = default;
    virtual void operator()(P parameter) const = 0;
    virtual Base_Callback1Body* clone() const = 0;
};

template <class Client, class Member>
class Member_CallbackBody : public Base_Callback1Body<IQuillDevice*> {
  public:
    Member_CallbackBody(Client& client, Member member) : client_(client), member_(member) {}

    void operator()(IQuillDevice* device) const override { (client_.*member_)(device); }
    Member_CallbackBody* clone() const override { return new Member_CallbackBody(*this); }

  private:
    Client& client_;
    Member member_;
};

template <class Client, class Member>
Member_CallbackBody<Client, Member> make_MemberFunctionCallback(Client& client, Member member) {
    return Member_CallbackBody<Client, Member>(client, member);
}

template <class Client, class Member>
Member_CallbackBody<Client, Member> make_MemberFunctionCallback(Client* client, Member member) {
    return Member_CallbackBody<Client, Member>(*client, member);
}

// Opaque handle of a registered removal callback; null means none.
typedef QuillDeviceCallback* DeviceCallbackHandle;

}  // namespace Quill
