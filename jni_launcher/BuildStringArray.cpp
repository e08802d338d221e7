#include "StringArray.h"

jobjectArray BuildStringArray(JNIEnv* env, char** strings, int count)
{
    const JNINativeInterface_* jni = env->functions;
    jclass stringClass = jni->FindClass(env, "java/lang/String");
    if (stringClass == nullptr)
        return nullptr;
    jobjectArray array = jni->NewObjectArray(env, count, stringClass, nullptr);
    if (array == nullptr)
        return nullptr;
    for (int i = 0; i < count; ++i) {
        jstring text = jni->NewStringUTF(env, strings[i]);
        if (text == nullptr)
            return nullptr;
        jni->SetObjectArrayElement(env, array, i, text);
        jni->DeleteLocalRef(env, text);
    }
    return array;
}
